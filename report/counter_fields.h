// How the documents name each class counter: the JSON key and the Prometheus metric.
#pragma once

#include <string_view>

#include "collect/object_table.h"

struct CounterField {
    ClassCounters::Kind kind;
    std::string_view jsonKey;
    std::string_view metric;
    std::string_view help;
    bool isRate;  // a gauge in bits per second; the others only grow
};

inline constexpr CounterField counterFields[] = {
    {ClassCounters::prePolicyPackets, "prePolicyPackets",
     "galvetrin_class_pre_policy_packets_total", "Packets that reached the class, before policing.",
     false},
    {ClassCounters::prePolicyBytes, "prePolicyBytes", "galvetrin_class_pre_policy_bytes_total",
     "Bytes that reached the class, before policing.", false},
    {ClassCounters::prePolicyBitRate, "prePolicyBitRate", "galvetrin_class_pre_policy_bit_rate",
     "Rate of the traffic reaching the class, before policing, in bits per second.", true},
    {ClassCounters::postPolicyBytes, "postPolicyBytes", "galvetrin_class_post_policy_bytes_total",
     "Bytes the class passed on, after policing.", false},
    {ClassCounters::postPolicyBitRate, "postPolicyBitRate", "galvetrin_class_post_policy_bit_rate",
     "Rate of the traffic the class passed on, in bits per second.", true},
    {ClassCounters::droppedPackets, "droppedPackets", "galvetrin_class_dropped_packets_total",
     "Packets the class dropped.", false},
    {ClassCounters::droppedBytes, "droppedBytes", "galvetrin_class_dropped_bytes_total",
     "Bytes the class dropped.", false},
    {ClassCounters::dropBitRate, "dropBitRate", "galvetrin_class_drop_bit_rate",
     "Rate of the traffic the class dropped, in bits per second.", true},
    {ClassCounters::noBufferDroppedPackets, "noBufferDroppedPackets",
     "galvetrin_class_no_buffer_dropped_packets_total",
     "Packets the class dropped for want of a buffer.", false},
};
