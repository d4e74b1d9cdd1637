#include "collect/row_gets.h"

#include <deque>

#include "collect/column_walk.h"
#include "collect/response_size.h"
#include "collect/walk_progress.h"
#include "snmp/exchanges.h"

namespace {

constexpr int32_t tooBig = 1;
constexpr oid sysUpTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
constexpr size_t sysUpTimeBytes = 20;

// The rows [first, end) in one GET.
struct Batch {
    size_t first;
    size_t end;
    bool withUptime;
};

// The bytes a row's walks take in a response: their names as asked and values as large as the
// columns' walks expect.
size_t bytesOf(const KnownRow& row) {
    const std::span<const StageWalk> walks = row.table->walks;
    size_t indexBytes = 0;
    for (const oid number : rowIndex(row.table->index, row.key)) {
        indexBytes += encodedNumberBytes(number);
    }
    size_t bytes = 0;
    for (size_t w = 0; w < walks.size(); ++w) {
        if ((row.walks >> w & 1U) != 0) {
            bytes += bindingHeaderBytes + encodedOidBytes(walks[w].columns.front()) + indexBytes +
                     walks[w].valueBytes;
        }
    }
    return bytes;
}

// Whole rows to a request, at least one; none for a row with nothing to ask.
std::deque<Batch> batches(std::span<const KnownRow> rows, bool withUptime) {
    constexpr size_t room = responseBytes - responseHeaderBytes;
    std::deque<Batch> all;
    size_t first = 0;
    while (first < rows.size() || (withUptime && all.empty())) {
        const bool uptime = withUptime && all.empty();
        size_t bytes = uptime ? sysUpTimeBytes : 0;
        size_t end = first;
        for (; end < rows.size(); ++end) {
            const size_t rowBytes = bytesOf(rows[end]);
            if (end != first && bytes + rowBytes > room) {
                break;
            }
            bytes += rowBytes;
        }
        if (bytes != 0) {
            all.push_back({first, end, uptime});
        }
        first = end;
    }
    return all;
}

class RowGetter {
  public:
    RowGetter(RunContext& context, SnmpSession& session, std::span<const KnownRow> rows,
              std::vector<RowReading> readings)
        : context_(context), session_(session), rows_(rows) {
        gets_.rows = std::move(readings);
        gets_.rows.resize(rows.size());
    }

    RowGets run(bool withUptime) {
        std::deque<Batch> waiting = batches(rows_, withUptime);
        PendingExchanges exchanges(session_);
        WalkProgress progress(context_, "classCounters");
        uint64_t requests = 0;
        while ((!waiting.empty() && !failed()) || exchanges.pending() != 0) {
            while (!waiting.empty() && !failed() &&
                   exchanges.pending() < context_.limits().maxInFlight) {
                if (context_.stop().reached()) {
                    gets_.failure = stoppedLine(context_.stop());
                    break;
                }
                const Batch batch = waiting.front();
                waiting.pop_front();
                SnmpRequest request(session_, context_.nextRequestId(), SNMP_MSG_GET);
                ++requests;
                std::vector<std::vector<oid>> asked = names(batch);
                for (const std::vector<oid>& name : asked) {
                    request.addNullBinding(name);
                }
                session_.setExchangeLimits(context_.limits().timeoutMicroseconds,
                                           context_.limits().retries);
                context_.countRequest();
                exchanges.send(request, [this, batch, &waiting, asked = std::move(asked)](
                                            std::unique_ptr<SnmpResponse> response) {
                    take(batch, asked, std::move(response), waiting);
                });
            }
            exchanges.wait(context_.stop());
            progress.update(answered_, requests);
        }
        if (failed()) {
            context_.failure(gets_.failure);
        }
        return std::move(gets_);
    }

  private:
    std::vector<std::vector<oid>> names(const Batch& batch) const {
        std::vector<std::vector<oid>> asked;
        if (batch.withUptime) {
            asked.emplace_back(std::begin(sysUpTime), std::end(sysUpTime));
        }
        for (size_t i = batch.first; i < batch.end; ++i) {
            const std::span<const StageWalk> walks = rows_[i].table->walks;
            const std::vector<oid> index = rowIndex(rows_[i].table->index, rows_[i].key);
            for (size_t w = 0; w < walks.size(); ++w) {
                if ((rows_[i].walks >> w & 1U) != 0) {
                    const ColumnOid column = walks[w].columns.front();
                    std::vector<oid>& name = asked.emplace_back(column.begin(), column.end());
                    name.insert(name.end(), index.begin(), index.end());
                }
            }
        }
        return asked;
    }

    void take(const Batch& batch, const std::vector<std::vector<oid>>& asked,
              std::unique_ptr<SnmpResponse> response, std::deque<Batch>& waiting) {
        context_.debug("Sending GET counter packet...");
        const int32_t errorCode = response ? response->errorCode() : 0;
        if (errorCode == tooBig && batch.end - batch.first > 1) {
            // Half the rows to a request, each half asked again.
            context_.debug("\n");
            const size_t middle = batch.first + (batch.end - batch.first) / 2;
            waiting.push_front({middle, batch.end, false});
            waiting.push_front({batch.first, middle, batch.withUptime});
            return;
        }
        if (!response || errorCode != 0) {
            context_.debug("\n");
            if (failed()) {
                return;
            }
            gets_.failure = exchangeFailure(context_, session_, response.get());
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!gets_.firstAnswer) {
            gets_.firstAnswer = std::chrono::system_clock::now();
        }
        context_.debug("Packet returned...");
        context_.debug("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
        // A GET answers in the order asked; a binding that names anything else answers nothing.
        const auto answers = [&](size_t position) {
            ResponseBinding& binding = response->binding(static_cast<int32_t>(position + 1));
            if (context_.debugging()) {
                context_.debug("OID%zu: %s = %s\n", position + 1, binding.oidText().c_str(),
                               binding.valueText().c_str());
            }
            const u_char type = binding.type();
            return position < asked.size() && std::ranges::equal(binding.name(), asked[position]) &&
                   type != SNMP_NOSUCHOBJECT && type != SNMP_NOSUCHINSTANCE &&
                   type != SNMP_ENDOFMIBVIEW;
        };
        size_t position = 0;
        if (batch.withUptime) {
            if (answers(position)) {
                gets_.sysUpTime = response->binding(1).number();
            }
            ++position;
        }
        for (size_t i = batch.first; i < batch.end; ++i) {
            const std::span<const StageWalk> walks = rows_[i].table->walks;
            RowReading& reading = gets_.rows[i];
            reading.arrival = now;
            for (size_t w = 0; w < walks.size(); ++w) {
                if ((rows_[i].walks >> w & 1U) == 0) {
                    continue;
                }
                if (answers(position)) {
                    ResponseBinding& binding =
                        response->binding(static_cast<int32_t>(position + 1));
                    // Rates and counters alike are numbers whatever their tag, as the documents
                    // read them; a Counter32 is marked, since it wraps.
                    reading.columns.push_back({walks[w].columns.front().back(),
                                               binding.wholeNumber(),
                                               binding.type() == ASN_COUNTER});
                    reading.answeredWalks |= 1U << w;
                }
                ++position;
            }
            ++answered_;
        }
    }

    bool failed() const { return !gets_.failure.empty(); }

    RunContext& context_;
    SnmpSession& session_;
    std::span<const KnownRow> rows_;
    RowGets gets_;
    uint64_t answered_ = 0;
};

}  // namespace

RowGets getRows(RunContext& context, SnmpSession& session, std::span<const KnownRow> rows,
                bool withUptime, std::vector<RowReading> readings) {
    return RowGetter(context, session, rows, std::move(readings)).run(withUptime);
}
