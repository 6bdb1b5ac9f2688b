// The pools behind `new CString256` and list nodes: chunk size and hand-out
// order seen through the objects' addresses, and no object handed out twice.
// Other tests in this program may have used the pools already, so each test
// first runs its pool dry.
#include "util/CList.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace
{

template <class T> void expectChunkOrder()
{
    // Take objects until one comes from a new chunk: that is the chunk's
    // first object, and the free list now holds exactly the rest of it.
    std::vector<T*> held;
    const int32_t chunksBefore = T::nchunks;
    while (T::nchunks == chunksBefore) {
        held.push_back(new T);
        ASSERT_NE(held.back(), nullptr);
    }
    T* chunk = held.back();
    for (int index = 255; index >= 1; --index) {
        held.push_back(new T);
        ASSERT_EQ(held.back(), chunk + index);
    }
    EXPECT_EQ(T::nchunks, chunksBefore + 1) << "256 objects fit one chunk";
    T* third = held[held.size() - 3];
    T* seventeenth = held[held.size() - 17];

    held.push_back(new T);
    EXPECT_EQ(T::nchunks, chunksBefore + 2);
    const auto address = reinterpret_cast<uintptr_t>(held.back());
    const auto start = reinterpret_cast<uintptr_t>(chunk);
    EXPECT_TRUE(address < start || address >= start + 256 * sizeof(T));

    delete seventeenth;
    delete third;
    EXPECT_EQ(new T, third) << "the object given back last is handed out first";
    EXPECT_EQ(new T, seventeenth);
    for (T* object : held)
        delete object;
}

} // namespace

TEST(Pool, StringsAndListNodesComeInChunksOf256)
{
    expectChunkOrder<CString256>();
    expectChunkOrder<elem<CString256>>();

    CList<CString256> list;
    list.append(CString256("a"));
    list.append(CString256("b"));
    elem<CString256>* second = list.last;
    list.clear();
    list.append(CString256("c"));
    EXPECT_EQ(list.first, second) << "clear gives the nodes back in list order";
}

// Every live object keeps its own text however the others come and go.
TEST(Pool, NoObjectIsHandedOutTwice)
{
    RandomText random(4242);
    std::vector<CString256*> live;
    std::set<CString256*> addresses;
    for (int step = 0; step < 20000; ++step) {
        if (live.empty() || random.between(0, 2) != 0) {
            live.push_back(new CString256);
            ASSERT_TRUE(addresses.insert(live.back()).second) << "handed out while in use";
            *live.back() = int32_t(step);
        } else {
            std::swap(live[size_t(random.between(0, int(live.size()) - 1))], live.back());
            addresses.erase(live.back());
            delete live.back();
            live.pop_back();
        }
    }
    std::set<std::string> texts;
    for (CString256* s : live)
        texts.insert(s->text);
    EXPECT_EQ(texts.size(), live.size());
    for (CString256* s : live)
        delete s;
}

#if defined(__SANITIZE_ADDRESS__)
// A free object's bytes are poisoned, so misuse is caught where it happens.
TEST(PoolDeathTest, MisusingAGivenBackStringIsCaught)
{
    CString256* volatile s = nullptr;
    EXPECT_DEATH(
        {
            s = new CString256("gone");
            delete s;
            std::strcpy(s->text, "x");
        },
        "use-after-poison");
    EXPECT_DEATH(
        {
            s = new CString256("twice");
            delete s;
            delete s;
        },
        "given back twice");
}
#endif
