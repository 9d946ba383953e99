// KORA's byte queue against a plain model: first in, first out, never beyond its limit,
// a push taken whole or not at all.
#include "FuzzCheck.h"
extern "C" {
#include "byte_queue.h"
}

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <deque>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    const std::size_t nLimit = input.ConsumeIntegralInRange<std::size_t>(0, 5000);
    byte_queue queue;
    byte_queue_init(&queue, nLimit);
    std::deque<unsigned char> model;
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            std::vector<unsigned char> bytes = input.ConsumeBytes<unsigned char>(
                input.ConsumeIntegralInRange<std::size_t>(0, 3000));
            int bTaken = byte_queue_push(&queue, bytes.data(), bytes.size());
            FUZZ_CHECK((bTaken != 0) == (model.size() + bytes.size() <= nLimit));
            if (bTaken)
                model.insert(model.end(), bytes.begin(), bytes.end());
            break;
        }
        case 1: {
            std::vector<unsigned char> out(input.ConsumeIntegralInRange<std::size_t>(0, 3000));
            std::size_t nPopped = byte_queue_pop(&queue, out.data(), out.size());
            FUZZ_CHECK(nPopped == (out.size() < model.size() ? out.size() : model.size()));
            for (std::size_t i = 0; i < nPopped; ++i) {
                FUZZ_CHECK(out[i] == model.front());
                model.pop_front();
            }
            break;
        }
        case 2:
            byte_queue_clear(&queue);
            model.clear();
            break;
        default:
            break;
        }
        FUZZ_CHECK(byte_queue_room(&queue) == nLimit - model.size());
    }
    byte_queue_free(&queue);
    return 0;
}
