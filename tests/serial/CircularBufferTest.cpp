#include "AfCircularBuffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<char> bytes(int n, int start = 0)
{
    std::vector<char> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = char((start + i) & 0xFF);
    return v;
}

} // namespace

TEST(CircularBuffer, TakesExactlyItsCapacity)
{
    TAfCircularBuffer b(2048);
    const auto data = bytes(2049);
    EXPECT_FALSE(b.Write(data.data(), 2049));
    EXPECT_EQ(b.Used(), 0);
    EXPECT_TRUE(b.Write(data.data(), 2048));
    EXPECT_EQ(b.FreeSpace(), 0);
    EXPECT_EQ(b.Used(), 2048);
    EXPECT_TRUE(b.Full());
    EXPECT_EQ(b.ContiguousUsed(), 2048);
    EXPECT_FALSE(b.Write(data.data(), 1));
}

TEST(CircularBuffer, RefusesEmptyAndNegativeWrites)
{
    TAfCircularBuffer b(16);
    const char c = 'x';
    EXPECT_FALSE(b.Write(&c, 0));
    EXPECT_FALSE(b.Write(&c, -3));
    EXPECT_EQ(b.Used(), 0);
    EXPECT_EQ(b.WritePos(), 0);
}

TEST(CircularBuffer, WrappedContentsAndContiguousPart)
{
    TAfCircularBuffer b(2048);
    const auto first = bytes(2000);
    ASSERT_TRUE(b.Write(first.data(), 2000));
    ASSERT_TRUE(b.Remove(2000));
    const auto second = bytes(148, 7);
    ASSERT_TRUE(b.Write(second.data(), 148));
    EXPECT_EQ(b.ReadPos(), 2000);
    EXPECT_EQ(b.WritePos(), 100);
    EXPECT_EQ(b.Used(), 148);
    EXPECT_EQ(b.ContiguousUsed(), 48);
    // The first part went to the end of the storage, the rest to index 0.
    EXPECT_EQ(std::vector<char>(b.ReadPointer(), b.ReadPointer() + 48),
              std::vector<char>(second.begin(), second.begin() + 48));
    ASSERT_TRUE(b.Remove(48));
    EXPECT_EQ(b.ReadPos(), 0);
    EXPECT_EQ(b.ContiguousUsed(), 100);
    EXPECT_EQ(std::vector<char>(b.ReadPointer(), b.ReadPointer() + 100),
              std::vector<char>(second.begin() + 48, second.end()));
}

TEST(CircularBuffer, RemoveLimits)
{
    TAfCircularBuffer b(64);
    const auto data = bytes(10);
    ASSERT_TRUE(b.Write(data.data(), 10));
    EXPECT_FALSE(b.Remove(11));
    EXPECT_EQ(b.Used(), 10);
    EXPECT_TRUE(b.Remove(0));
    EXPECT_EQ(b.Used(), 10);
    EXPECT_EQ(b.ReadPos(), 0);
}

TEST(CircularBuffer, FullBufferEmptiedByRemove)
{
    TAfCircularBuffer b(32);
    const auto data = bytes(40);
    ASSERT_TRUE(b.Write(data.data(), 20));
    ASSERT_TRUE(b.Remove(20));
    ASSERT_TRUE(b.Write(data.data(), 32)); // full and wrapped
    EXPECT_TRUE(b.Full());
    EXPECT_EQ(b.ContiguousUsed(), 12);
    ASSERT_TRUE(b.Remove(32));
    EXPECT_EQ(b.ReadPos(), b.WritePos());
    EXPECT_FALSE(b.Full());
    EXPECT_EQ(b.Used(), 0);
    EXPECT_EQ(b.FreeSpace(), 32);
}

TEST(CircularBuffer, ClearEmpties)
{
    TAfCircularBuffer b(8);
    const auto data = bytes(8);
    ASSERT_TRUE(b.Write(data.data(), 8));
    b.Clear();
    EXPECT_EQ(b.Used(), 0);
    EXPECT_EQ(b.ReadPos(), 0);
    EXPECT_EQ(b.WritePos(), 0);
    EXPECT_FALSE(b.Full());
}
