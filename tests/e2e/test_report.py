"""The whole output of a run against the bundled simulated router, scripts/routers/classic.snmprec: a
parent shaper whose class-default nests WAN-EDGE-OUT on one uplink, WAN-EDGE-OUT directly on the
other, WAN-EDGE-IN inbound on both. Configuration indices are shared by several policy instances
(class-default 1593 by five records), object types 1 to 8 all appear, and object numbers are
allocated so that the depth-first listings differ from table order."""

import os
import unittest

import harness
from harness import marked_lines

ROUTER = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "routers", "classic.snmprec")

POLICIES = """\
     1057         1 Output
     1105         1 Direction:1
     1137         2 Output
     1169         2 Direction:1
"""

# Queueing actions have no flat row; the tree shows them. Classes without a pre-policy count
# (SCAVENGER on policy 1169, which still dropped 312 packets) show 26 spaces for both counters.
FLAT = marked_lines("""\
     1057        1057            0 PolicyMap(1)       1411917123                           SHAPE-WAN-100M (Parent shaper for the 100 Mbit/s ISP circuit)|
     1057        1059         1057 ClassMap(2)              1593    3012345678       48213 class-default |
     1057        1061         1059 matchStatement(3)        1594                           match any |
     1057        1063         1059 trafficShaping(6)  2684354567                           |
     1057        1065         1059 PolicyMap(1)       1288104962                           WAN-EDGE-OUT (LLQ and WRED towards the ISP)|
     1057        1067         1065 ClassMap(2)         318047730       1874421           0 VOICE (RTP bearer traffic)|
     1057        1073         1067 matchStatement(3)  1795162114                           match ip dscp ef |
     1057        1077         1067 police(7)          1610612739                           |
     1057        1069         1065 ClassMap(2)         402659841      25403311        1207 CRITICAL-DATA (ERP and transactional data)|
     1057        1079         1069 matchStatement(3)  1795162371                           match ip dscp af31 |
     1057        1081         1069 matchStatement(3)  1795162628                           match ip dscp cs3 |
     1057        1083         1069 matchStatement(3)  1906341893                           match access-group name ERP-SERVERS |
     1057        1087         1069 randomDetect(5)    2550136837                           |
     1057        1071         1065 ClassMap(2)              1593    2985067946       47006 class-default |
     1057        1089         1071 matchStatement(3)        1594                           match any |
     1057        1093         1071 randomDetect(5)    2550137093                           |
     1105        1105            0 PolicyMap(1)       1033587021                           WAN-EDGE-IN (Trust, mark and police traffic from the ISP)|
     1105        1107         1105 ClassMap(2)         318047730       1903377           0 VOICE (RTP bearer traffic)|
     1105        1113         1107 matchStatement(3)  1795162114                           match ip dscp ef |
     1105        1115         1107 set(8)             2818572297                           |
     1105        1109         1105 ClassMap(2)         367001619        884102      120455 SCAVENGER (Bulk and peer-to-peer traffic)|
     1105        1117         1109 matchStatement(3)  2013265925                           match protocol bittorrent |
     1105        1119         1109 matchStatement(3)  1795162885                           match ip dscp cs1 |
     1105        1121         1109 police(7)          1610612995                           |
     1105        1111         1105 ClassMap(2)              1593      41877210           0 class-default |
     1105        1123         1111 matchStatement(3)        1594                           match any |
     1137        1137            0 PolicyMap(1)       1288104962                           WAN-EDGE-OUT (LLQ and WRED towards the ISP)|
     1137        1139         1137 ClassMap(2)         318047730        402118           0 VOICE (RTP bearer traffic)|
     1137        1145         1139 matchStatement(3)  1795162114                           match ip dscp ef |
     1137        1149         1139 police(7)          1610612739                           |
     1137        1141         1137 ClassMap(2)         402659841       8230544          96 CRITICAL-DATA (ERP and transactional data)|
     1137        1151         1141 matchStatement(3)  1795162371                           match ip dscp af31 |
     1137        1153         1141 matchStatement(3)  1795162628                           match ip dscp cs3 |
     1137        1155         1141 matchStatement(3)  1906341893                           match access-group name ERP-SERVERS |
     1137        1159         1141 randomDetect(5)    2550136837                           |
     1137        1143         1137 ClassMap(2)              1593    3905112408  2159338001 class-default |
     1137        1161         1143 matchStatement(3)        1594                           match any |
     1137        1165         1143 randomDetect(5)    2550137093                           |
     1169        1169            0 PolicyMap(1)       1033587021                           WAN-EDGE-IN (Trust, mark and police traffic from the ISP)|
     1169        1171         1169 ClassMap(2)         318047730        388204           0 VOICE (RTP bearer traffic)|
     1169        1177         1171 matchStatement(3)  1795162114                           match ip dscp ef |
     1169        1179         1171 set(8)             2818572297                           |
     1169        1173         1169 ClassMap(2)         367001619                           SCAVENGER (Bulk and peer-to-peer traffic)|
     1169        1181         1173 matchStatement(3)  2013265925                           match protocol bittorrent |
     1169        1183         1173 matchStatement(3)  1795162885                           match ip dscp cs1 |
     1169        1185         1173 police(7)          1610612995                           |
     1169        1175         1169 ClassMap(2)              1593       9120334           0 class-default |
     1169        1187         1175 matchStatement(3)        1594                           match any |
""")

# The same objects in the same order; the description keeps a space after its parenthesis.
TREE = marked_lines("""\
PolicyMap(1)                                    SHAPE-WAN-100M (Parent shaper for the 100 Mbit/s ISP circuit) |
  ClassMap(2)            3012345678       48213 class-default |
    matchStatement(3)                           match any |
    trafficShaping(6)                           |
PolicyMap(1)                                    WAN-EDGE-OUT (LLQ and WRED towards the ISP) |
  ClassMap(2)               1874421           0 VOICE (RTP bearer traffic) |
    matchStatement(3)                           match ip dscp ef |
    queueing(4)                                 |
    police(7)                                   |
  ClassMap(2)              25403311        1207 CRITICAL-DATA (ERP and transactional data) |
    matchStatement(3)                           match ip dscp af31 |
    matchStatement(3)                           match ip dscp cs3 |
    matchStatement(3)                           match access-group name ERP-SERVERS |
    queueing(4)                                 |
    randomDetect(5)                             |
  ClassMap(2)            2985067946       47006 class-default |
    matchStatement(3)                           match any |
    queueing(4)                                 |
    randomDetect(5)                             |
PolicyMap(1)                                    WAN-EDGE-IN (Trust, mark and police traffic from the ISP) |
  ClassMap(2)               1903377           0 VOICE (RTP bearer traffic) |
    matchStatement(3)                           match ip dscp ef |
    set(8)                                      |
  ClassMap(2)                884102      120455 SCAVENGER (Bulk and peer-to-peer traffic) |
    matchStatement(3)                           match protocol bittorrent |
    matchStatement(3)                           match ip dscp cs1 |
    police(7)                                   |
  ClassMap(2)              41877210           0 class-default |
    matchStatement(3)                           match any |
PolicyMap(1)                                    WAN-EDGE-OUT (LLQ and WRED towards the ISP) |
  ClassMap(2)                402118           0 VOICE (RTP bearer traffic) |
    matchStatement(3)                           match ip dscp ef |
    queueing(4)                                 |
    police(7)                                   |
  ClassMap(2)               8230544          96 CRITICAL-DATA (ERP and transactional data) |
    matchStatement(3)                           match ip dscp af31 |
    matchStatement(3)                           match ip dscp cs3 |
    matchStatement(3)                           match access-group name ERP-SERVERS |
    queueing(4)                                 |
    randomDetect(5)                             |
  ClassMap(2)            3905112408  2159338001 class-default |
    matchStatement(3)                           match any |
    queueing(4)                                 |
    randomDetect(5)                             |
PolicyMap(1)                                    WAN-EDGE-IN (Trust, mark and police traffic from the ISP) |
  ClassMap(2)                388204           0 VOICE (RTP bearer traffic) |
    matchStatement(3)                           match ip dscp ef |
    set(8)                                      |
  ClassMap(2)                                   SCAVENGER (Bulk and peer-to-peer traffic) |
    matchStatement(3)                           match protocol bittorrent |
    matchStatement(3)                           match ip dscp cs1 |
    police(7)                                   |
  ClassMap(2)               9120334           0 class-default |
    matchStatement(3)                           match any |
""")


class BundledRouterTest(harness.WholeReport, harness.AgentTestCase):
    with open(ROUTER) as f:  # served as the demo serves it
        data = f.read()
    policies, flat, tree = POLICIES, FLAT, TREE


if __name__ == "__main__":
    unittest.main()
