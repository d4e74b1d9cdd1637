// How the metrics name the actions' fields: one family per metric, its series from fields of
// one of the action tables, told apart by a label where an action has several.
#pragma once

#include <prometheus/metric_type.h>

#include <span>
#include <string_view>

#include "collect/action_tables.h"

// A field, and the value of the family's label for its series.
struct ActionSeries {
    std::string_view key;
    std::string_view labelValue;
};

struct ActionMetric {
    std::string_view name;
    std::string_view help;
    prometheus::MetricType type;
    size_t table;                 // position in actionTables()
    std::string_view key;         // a family of one field: each action's (or each value's) series
    std::string_view label = {};  // "red_value" for a per-value table; else with `series`
    std::span<const ActionSeries> series = {};  // a family of several fields
};

// The queueing bandwidth in bits per second where it follows (RunResult::queueBandwidths),
// rather than a field of the table.
inline constexpr std::string_view derivedBandwidth = "bandwidthBitsPerSecond";

namespace action_metric_series {
inline constexpr ActionSeries policePackets[] = {{"conformedPackets", "conformed"},
                                                 {"exceededPackets", "exceeded"},
                                                 {"violatedPackets", "violated"}};
inline constexpr ActionSeries policeBytes[] = {
    {"conformedBytes", "conformed"}, {"exceededBytes", "exceeded"}, {"violatedBytes", "violated"}};
inline constexpr ActionSeries policeBitRates[] = {{"conformedBitRate", "conformed"},
                                                  {"exceededBitRate", "exceeded"},
                                                  {"violatedBitRate", "violated"}};
inline constexpr ActionSeries marked[] = {
    {"dscpPackets", "dscp"},
    {"precedencePackets", "precedence"},
    {"qosGroupPackets", "qos_group"},
    {"frDePackets", "fr_de"},
    {"atmClpPackets", "atm_clp"},
    {"l2CosPackets", "l2_cos"},
    {"mplsExpImpositionPackets", "mpls_exp_imposition"},
    {"discardClassPackets", "discard_class"},
    {"mplsExpTopMostPackets", "mpls_exp_top_most"},
    {"srpPriorityPackets", "srp_priority"},
    {"frFecnBecnPackets", "fr_fecn_becn"},
    {"dscpTunnelPackets", "dscp_tunnel"},
    {"precedenceTunnelPackets", "precedence_tunnel"},
};
}  // namespace action_metric_series

inline constexpr ActionMetric actionMetrics[] = {
    {"galvetrin_police_packets_total",
     "Packets the police action saw, by outcome.",
     prometheus::MetricType::Counter,
     action_table::policeCounters,
     {},
     "outcome",
     action_metric_series::policePackets},
    {"galvetrin_police_bytes_total",
     "Bytes the police action saw, by outcome.",
     prometheus::MetricType::Counter,
     action_table::policeCounters,
     {},
     "outcome",
     action_metric_series::policeBytes},
    {"galvetrin_police_bit_rate",
     "Rate of the traffic the police action saw, by outcome, in bits per second.",
     prometheus::MetricType::Gauge,
     action_table::policeCounters,
     {},
     "outcome",
     action_metric_series::policeBitRates},
    {"galvetrin_police_committed_bit_rate",
     "The police action's committed rate, in bits per second.", prometheus::MetricType::Gauge,
     action_table::policeConfig, "rateBitsPerSecond"},
    {"galvetrin_police_burst_bytes", "The police action's committed burst, in bytes.",
     prometheus::MetricType::Gauge, action_table::policeConfig, "burstBytes"},
    {"galvetrin_police_peak_bit_rate", "The police action's peak rate, in bits per second.",
     prometheus::MetricType::Gauge, action_table::policeConfig, "peakRateBitsPerSecond"},
    {"galvetrin_queue_depth_bytes", "Bytes in the queue now.", prometheus::MetricType::Gauge,
     action_table::queueingCounters, "currentDepthBytes"},
    {"galvetrin_queue_depth_packets", "Packets in the queue now.", prometheus::MetricType::Gauge,
     action_table::queueingCounters, "currentDepthPackets"},
    {"galvetrin_queue_max_depth_bytes", "The most bytes the queue has held.",
     prometheus::MetricType::Gauge, action_table::queueingCounters, "maxDepthBytes"},
    {"galvetrin_queue_max_depth_packets", "The most packets the queue has held.",
     prometheus::MetricType::Gauge, action_table::queueingCounters, "maxDepthPackets"},
    {"galvetrin_queue_bandwidth_bit_rate", "The queue's configured bandwidth, in bits per second.",
     prometheus::MetricType::Gauge, action_table::queueingConfig, derivedBandwidth},
    {"galvetrin_queue_priority", "1 for a priority queue, 0 for another.",
     prometheus::MetricType::Gauge, action_table::queueingConfig, "priority"},
    {"galvetrin_queue_discarded_packets_total", "Packets the queue discarded.",
     prometheus::MetricType::Counter, action_table::queueingCounters, "discardedPackets"},
    {"galvetrin_queue_discarded_bytes_total", "Bytes the queue discarded.",
     prometheus::MetricType::Counter, action_table::queueingCounters, "discardedBytes"},
    {"galvetrin_queue_transmitted_packets_total", "Packets the queue transmitted.",
     prometheus::MetricType::Counter, action_table::queueingCounters, "transmittedPackets"},
    {"galvetrin_queue_transmitted_bytes_total", "Bytes the queue transmitted.",
     prometheus::MetricType::Counter, action_table::queueingCounters, "transmittedBytes"},
    {"galvetrin_shaping_delayed_packets_total", "Packets the shaper delayed.",
     prometheus::MetricType::Counter, action_table::shapingCounters, "delayedPackets"},
    {"galvetrin_shaping_delayed_bytes_total", "Bytes the shaper delayed.",
     prometheus::MetricType::Counter, action_table::shapingCounters, "delayedBytes"},
    {"galvetrin_shaping_dropped_packets_total", "Packets the shaper dropped.",
     prometheus::MetricType::Counter, action_table::shapingCounters, "droppedPackets"},
    {"galvetrin_shaping_dropped_bytes_total", "Bytes the shaper dropped.",
     prometheus::MetricType::Counter, action_table::shapingCounters, "droppedBytes"},
    {"galvetrin_shaping_active", "1 while the shaper is delaying traffic, else 0.",
     prometheus::MetricType::Gauge, action_table::shapingCounters, "active"},
    {"galvetrin_shaping_queue_size_packets", "Packets in the shaper's queue now.",
     prometheus::MetricType::Gauge, action_table::shapingCounters, "queueSizePackets"},
    {"galvetrin_shaping_committed_bit_rate", "The shaper's committed rate, in bits per second.",
     prometheus::MetricType::Gauge, action_table::shapingConfig, "rateBitsPerSecond"},
    {"galvetrin_red_random_dropped_packets_total", "Packets WRED dropped at random, by value.",
     prometheus::MetricType::Counter, action_table::redCounters, "randomDroppedPackets",
     "red_value"},
    {"galvetrin_red_random_dropped_bytes_total", "Bytes WRED dropped at random, by value.",
     prometheus::MetricType::Counter, action_table::redCounters, "randomDroppedBytes", "red_value"},
    {"galvetrin_red_tail_dropped_packets_total",
     "Packets WRED dropped above its maximum threshold, by value.", prometheus::MetricType::Counter,
     action_table::redCounters, "tailDroppedPackets", "red_value"},
    {"galvetrin_red_tail_dropped_bytes_total",
     "Bytes WRED dropped above its maximum threshold, by value.", prometheus::MetricType::Counter,
     action_table::redCounters, "tailDroppedBytes", "red_value"},
    {"galvetrin_red_transmitted_packets_total", "Packets WRED passed, by value.",
     prometheus::MetricType::Counter, action_table::redCounters, "transmittedPackets", "red_value"},
    {"galvetrin_red_transmitted_bytes_total", "Bytes WRED passed, by value.",
     prometheus::MetricType::Counter, action_table::redCounters, "transmittedBytes", "red_value"},
    {"galvetrin_red_ecn_marked_packets_total", "Packets WRED marked with ECN, by value.",
     prometheus::MetricType::Counter, action_table::redCounters, "ecnMarkedPackets", "red_value"},
    {"galvetrin_red_ecn_marked_bytes_total", "Bytes WRED marked with ECN, by value.",
     prometheus::MetricType::Counter, action_table::redCounters, "ecnMarkedBytes", "red_value"},
    {"galvetrin_set_marked_packets_total",
     "Packets the set action marked, by the field it set.",
     prometheus::MetricType::Counter,
     action_table::setCounters,
     {},
     "field",
     action_metric_series::marked},
};
