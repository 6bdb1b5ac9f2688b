// The pools behind `new CString256` and list nodes: chunk size and hand-out
// order seen through the objects' addresses, and no object handed out twice
// under random use. Other tests in this program may have used the pools, so
// each test first runs its pool dry.
#include "util/CList.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace
{

template <class T> bool inChunk(const T* object, const T* chunk)
{
    const auto address = reinterpret_cast<uintptr_t>(object);
    const auto start = reinterpret_cast<uintptr_t>(chunk);
    return address >= start && address < start + 256 * sizeof(T);
}

template <class T> void expectChunkOrder()
{
    std::vector<T*> held;
    // Take objects until one comes from a fresh chunk: that is the chunk's
    // first object, and the free list is now exactly the rest of the chunk.
    const int32_t chunksBefore = T::nchunks;
    T* chunk = nullptr;
    while (!chunk) {
        T* object = new T;
        ASSERT_NE(object, nullptr);
        held.push_back(object);
        if (T::nchunks != chunksBefore)
            chunk = object;
    }
    EXPECT_EQ(T::nchunks, chunksBefore + 1);

    for (int index = 255; index >= 1; --index) {
        T* object = new T;
        held.push_back(object);
        ASSERT_EQ(object, chunk + index) << "index " << index;
    }
    EXPECT_EQ(T::nchunks, chunksBefore + 1) << "256 objects fit one chunk";

    T* object257 = new T;
    held.push_back(object257);
    EXPECT_EQ(T::nchunks, chunksBefore + 2);
    EXPECT_FALSE(inChunk(object257, chunk));

    delete (chunk + 17);
    delete (chunk + 3);
    T* again = new T;
    EXPECT_EQ(again, chunk + 3) << "the object given back last is handed out first";
    T* andAgain = new T;
    EXPECT_EQ(andAgain, chunk + 17);
    EXPECT_EQ(T::nchunks, chunksBefore + 2);

    for (T* object : held)
        delete object;
}

} // namespace

TEST(Pool, StringsComeInChunksOf256)
{
    expectChunkOrder<CString256>();
}

TEST(Pool, ListNodesComeInChunksOf256)
{
    expectChunkOrder<elem<CString256>>();
}

TEST(Pool, AppendTakesNodesFromThePoolAndClearGivesThemBack)
{
    CList<CString256> list;
    list.append(CString256("a"));
    list.append(CString256("b"));
    elem<CString256>* second = list.last;
    list.clear();
    // Nodes go back in list order, so the second is on top.
    list.append(CString256("c"));
    EXPECT_EQ(list.first, second);
}

// Every live object keeps its own text however the others come and go.
TEST(Pool, NoObjectIsHandedOutTwice)
{
    RandomText random(4242);
    std::vector<CString256*> live;
    std::set<CString256*> addresses;
    for (int step = 0; step < 20000; ++step) {
        if (live.empty() || random.between(0, 2) != 0) {
            auto* s = new CString256;
            ASSERT_TRUE(addresses.insert(s).second) << "handed out while still in use";
            *s = int32_t(step);
            live.push_back(s);
        } else {
            const size_t index = size_t(random.between(0, int(live.size()) - 1));
            std::swap(live[index], live.back());
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
TEST(PoolDeathTest, UsingADeletedStringIsReported)
{
    EXPECT_DEATH(
        {
            CString256* volatile s = new CString256("gone");
            delete s;
            std::strcpy(s->text, "x");
        },
        "use-after-poison");
}

TEST(PoolDeathTest, GivingAStringBackTwiceStops)
{
    EXPECT_DEATH(
        {
            CString256* volatile s = new CString256("twice");
            delete s;
            delete s;
        },
        "given back twice");
}
#endif
