#include "launcher/pending_files.h"
#include "tests/launcher/taken_lists.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Found by GoogleTest beside Taken, for its failure messages.
static void PrintTo(const Taken& taken, std::ostream* out) {
    *out << (taken.wide ? "wide" : "narrow") << " " << ::testing::PrintToString(taken.entries);
}

namespace {

// Every list the queue gives holds exactly one kind.
std::vector<Taken> takeAll() {
    bool oneKindEach = true;
    std::vector<Taken> lists = ::takeAll(&oneKindEach);
    EXPECT_TRUE(oneKindEach) << "a list not of exactly one kind";
    return lists;
}

class PendingFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { takePendingFiles(); }
};

TEST_F(PendingFilesTest, KeepsEveryHandOverInArrivalOrderWhateverItsKind) {
    EXPECT_TRUE(queueForwardedText("a|b|"));
    EXPECT_TRUE(queueForwardedText(u"\u017C|\U0001F600\xD800|"));
    EXPECT_TRUE(queueForwardedText("c|"));
    EXPECT_TRUE(queueForwardedText(u"x\uFF5Cy|"));
    const std::vector<Taken> expected = {
        narrowList({"a", "b"}),
        wideList({u"\u017C", u"\U0001F600\xD800"}),
        narrowList({"c"}),
        wideList({u"x\uFF5Cy"}),
    };
    EXPECT_EQ(takeAll(), expected);
    EXPECT_TRUE(takeAll().empty());
}

TEST_F(PendingFilesTest, ATextWithoutEntriesAddsNoList) {
    EXPECT_FALSE(queueForwardedText(""));
    EXPECT_FALSE(queueForwardedText("||||"));
    EXPECT_FALSE(queueForwardedText(std::string(600, 'x') + "|"));
    EXPECT_FALSE(queueForwardedText(u""));
    EXPECT_FALSE(queueForwardedText(u"||||"));
    EXPECT_FALSE(queueForwardedText(std::u16string(512, u'\u00E9') + u"|"));
    EXPECT_TRUE(takeAll().empty());
}

// What the trace says of a received text: what was kept, and what was
// dropped and why.
TEST_F(PendingFilesTest, TellsWhatBecameOfEachText) {
    std::string thirty;
    for (int i = 0; i < 30; ++i) {
        thirty += std::to_string(i) + "|";
    }
    const struct {
        std::string text;
        int32_t kept;
        int32_t tooLong;
        int32_t beyondLimit;
    } cases[] = {
        {"a|b|", 2, 0, 0},   {std::string(512, 'x') + "|k|" + std::string(600, 'y'), 1, 2, 0},
        {thirty, 20, 0, 10}, {std::string(512, 'x') + "|" + thirty, 20, 1, 10},
        {"||", 0, 0, 0},
    };
    for (const auto& c : cases) {
        ReceivedText received;
        EXPECT_EQ(queueForwardedText(c.text, &received), c.kept > 0);
        EXPECT_EQ(received.kept, c.kept) << c.text.substr(0, 40);
        EXPECT_EQ(received.dropped.tooLong, c.tooLong) << c.text.substr(0, 40);
        EXPECT_EQ(received.dropped.beyondLimit, c.beyondLimit) << c.text.substr(0, 40);
        EXPECT_FALSE(received.queueFull);
    }
    takeAll();
    for (std::size_t i = 0; i < kMaxPendingLists; ++i) {
        queueForwardedText(u"w|");
    }
    ReceivedText received;
    EXPECT_FALSE(queueForwardedText(u"one too many|", &received));
    EXPECT_TRUE(received.queueFull);
    EXPECT_EQ(received.kept, 0);
}

// The bound counts both kinds together; either kind is refused beyond it.
TEST_F(PendingFilesTest, DropsListsBeyondTheBoundUntilTheWatcherTakesThem) {
    for (std::size_t i = 0; i < kMaxPendingLists; ++i) {
        const std::string entry = std::to_string(i);
        EXPECT_TRUE(i % 2 == 0 ? queueForwardedText(entry + "|")
                               : queueForwardedText(widened(entry) + u"|"));
    }
    EXPECT_FALSE(queueForwardedText("one too many|"));
    EXPECT_FALSE(queueForwardedText(u"one too many|"));
    const auto lists = takeAll();
    ASSERT_EQ(lists.size(), kMaxPendingLists);
    EXPECT_EQ(lists.front(), narrowList({"0"}));
    EXPECT_EQ(lists.back(), wideList({widened(std::to_string(kMaxPendingLists - 1))}));
    EXPECT_TRUE(queueForwardedText(u"room again|"));
    EXPECT_EQ(takeAll().size(), 1u);
}

// Many senders at once, of both kinds, and one watcher taking lists
// meanwhile: every list arrives exactly once, whole and of its kind, and
// each sender's lists stay in order.
TEST_F(PendingFilesTest, ManyProducersOneConsumer) {
    constexpr int kProducers = 8;
    constexpr int kListsEach = 30; // 240 in all: below the bound even if none is taken
    std::atomic<bool> done{false};
    std::vector<Taken> received;

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
                if (p % 2 == 0) {
                    queueForwardedText(id + "|" + id + "|");
                } else {
                    queueForwardedText(widened(id) + u"|" + widened(id) + u"|");
                }
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
        ASSERT_EQ(list.entries.size(), 2u);
        EXPECT_EQ(list.entries[0], list.entries[1]);
        const std::string id(list.entries[0].begin(), list.entries[0].end());
        const int producer = std::stoi(id);
        EXPECT_EQ(list.wide, producer % 2 == 1);
        EXPECT_EQ(id, std::to_string(producer) + "-" + std::to_string(next[producer]));
        ++next[producer];
    }
}

} // namespace
