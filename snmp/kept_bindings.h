// Bindings kept after their responses are gone (the -fast walks keep whole tables until their
// stages take them), packed: per binding its sub-identifiers 7 bits a byte, its value text, its
// type and its number, and no OID text, which is made again when asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "snmp/request.h"

class KeptBindings {
  public:
    void add(ResponseBinding& binding);
    size_t size() const { return kept_.size(); }
    // A binding that owns what it holds, as it was added.
    ResponseBinding binding(size_t index) const;
    void clear();

  private:
    struct Kept {
        uint32_t nameEnd;  // offsets into bytes_: the name, then the value text
        uint32_t valueEnd;
        uint64_t number;
        u_char type;
    };
    std::string bytes_;
    std::vector<Kept> kept_;
};
