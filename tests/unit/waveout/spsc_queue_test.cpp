// The lock-free queue between the audio callback and the other threads: order, bounds, index
// wrap-around, and one producer and one consumer thread at full speed (run under ThreadSanitizer).

#include "platform/waveout/spsc_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

using platform::SpscQueue;

TEST(SpscQueue, KeepsOrderRefusesWhenFullAndIsEmptyWhenDrained) {
    SpscQueue<int, 4> queue;
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.front(), nullptr);
    EXPECT_FALSE(queue.pop().has_value());

    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(queue.push(i)) << i;
    }
    EXPECT_FALSE(queue.push(5)) << "a full queue takes nothing more";
    const int* first = queue.front();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first != nullptr ? *first : 0, 1) << "front leaves the message in the queue";

    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(queue.pop(), i);
    }
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.pop().has_value());
}

TEST(SpscQueue, WrapsAroundTheRingManyTimesWithoutLosingOrReorderingMessages) {
    SpscQueue<uint32_t, 8> queue;
    uint32_t nextIn = 0;
    uint32_t nextOut = 0;
    // Uneven batches (at most 5 on top of at most 3 left) move the head and tail past the
    // ring's end at every phase.
    for (int round = 0; round < 1000; ++round) {
        const int batch = 1 + round % 5;
        for (int i = 0; i < batch; ++i) {
            ASSERT_TRUE(queue.push(nextIn)) << "round " << round;
            ++nextIn;
        }
        const int taken = 1 + (round * 5) % batch;
        for (int i = 0; i < taken; ++i) {
            ASSERT_EQ(queue.pop(), nextOut) << "round " << round;
            ++nextOut;
        }
        while (nextIn - nextOut > 3) {
            ASSERT_EQ(queue.pop(), nextOut);
            ++nextOut;
        }
    }
    while (auto message = queue.pop()) {
        EXPECT_EQ(*message, nextOut++);
    }
    EXPECT_EQ(nextOut, nextIn);
}

struct Message {
    uint32_t sequence;
    uint32_t check;
};

TEST(SpscQueue, OneProducerAndOneConsumerThreadPassEveryMessageInOrderAndIntact) {
    constexpr uint32_t kCount = 200000;
    SpscQueue<Message, 16> queue;
    std::thread producer([&queue] {
        for (uint32_t i = 0; i < kCount;) {
            if (queue.push(Message{i, ~i})) {
                ++i;
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::vector<uint32_t> outOfOrder;
    uint32_t expected = 0;
    while (expected < kCount) {
        const auto message = queue.pop();
        if (!message) {
            std::this_thread::yield();
            continue;
        }
        if (message->sequence != expected || message->check != ~expected) {
            outOfOrder.push_back(expected);
        }
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(outOfOrder.empty())
        << outOfOrder.size() << " messages wrong, first at " << outOfOrder.front();
    EXPECT_TRUE(queue.empty());
}

}  // namespace
