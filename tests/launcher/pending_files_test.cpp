#include "launcher/pending_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::vector<std::string>> takeAll() {
    std::vector<std::vector<std::string>> lists;
    for (const auto& list : takePendingFiles()) {
        lists.emplace_back(list->entries, list->entries + list->count);
    }
    return lists;
}

class PendingFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { takePendingFiles(); }
};

TEST_F(PendingFilesTest, KeepsEveryHandOverInArrivalOrder) {
    EXPECT_TRUE(queueForwardedText("a|b|"));
    EXPECT_TRUE(queueForwardedText("c|"));
    const auto lists = takeAll();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0], (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(lists[1], (std::vector<std::string>{"c"}));
    EXPECT_TRUE(takeAll().empty());
}

TEST_F(PendingFilesTest, ATextWithoutEntriesAddsNoList) {
    EXPECT_FALSE(queueForwardedText(""));
    EXPECT_FALSE(queueForwardedText("||||"));
    EXPECT_FALSE(queueForwardedText(std::string(600, 'x') + "|"));
    EXPECT_TRUE(takeAll().empty());
}

TEST_F(PendingFilesTest, DropsListsBeyondTheBoundUntilTheWatcherTakesThem) {
    for (std::size_t i = 0; i < kMaxPendingLists; ++i) {
        EXPECT_TRUE(queueForwardedText(std::to_string(i) + "|"));
    }
    EXPECT_FALSE(queueForwardedText("one too many|"));
    const auto lists = takeAll();
    ASSERT_EQ(lists.size(), kMaxPendingLists);
    EXPECT_EQ(lists.front()[0], "0");
    EXPECT_EQ(lists.back()[0], std::to_string(kMaxPendingLists - 1));
    EXPECT_TRUE(queueForwardedText("room again|"));
    EXPECT_EQ(takeAll().size(), 1u);
}

// Many senders at once and one watcher taking lists meanwhile: every list
// arrives exactly once, whole, and each sender's lists stay in order.
TEST_F(PendingFilesTest, ManyProducersOneConsumer) {
    constexpr int kProducers = 8;
    constexpr int kListsEach = 30; // 240 in all: below the bound even if none is taken
    std::atomic<bool> done{false};
    std::vector<std::vector<std::string>> received;

    std::thread consumer([&] {
        while (!done.load()) {
            for (auto& list : takeAll()) {
                received.push_back(std::move(list));
            }
            std::this_thread::yield();
        }
        for (auto& list : takeAll()) {
            received.push_back(std::move(list));
        }
    });
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([p] {
            for (int i = 0; i < kListsEach; ++i) {
                const std::string id = std::to_string(p) + "-" + std::to_string(i);
                queueForwardedText(id + "|" + id + "|");
            }
        });
    }
    for (auto& t : producers) {
        t.join();
    }
    done = true;
    consumer.join();

    ASSERT_EQ(received.size(), static_cast<std::size_t>(kProducers * kListsEach));
    std::vector<int> next(kProducers, 0);
    for (const auto& list : received) {
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0], list[1]);
        const int producer = std::stoi(list[0]);
        EXPECT_EQ(list[0], std::to_string(producer) + "-" + std::to_string(next[producer]));
        ++next[producer];
    }
}

} // namespace
