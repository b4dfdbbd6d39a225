#include <vector>

#include <gtest/gtest.h>

#include "CoreMIDI/CoreMIDI.h"

namespace {

struct Add
{
  MIDITimeStamp time;
  ByteCount n;
  bool accepted;
};
struct Packet
{
  MIDITimeStamp time;
  UInt16 length;
  bool operator==(const Packet&) const = default;
};

// List sizes: the count word, then per packet its time stamp and length (10
// bytes) and data, each packet starting on a 4-byte boundary.
constexpr ByteCount kOnePacketOf3 = 4 + 10 + 3, kTwoPacketsOf3 = 20 + 10 + 3;

TEST(MIDIPacketList, AddJoinsEventsOfOneTimeStampAndRefusesWhatDoesNotFit)
{
  struct Case
  {
    const char* name;
    ByteCount listSize;
    std::vector<Add> adds;
    std::vector<Packet> want;
  };
  const Case cases[] = {
    {"a note-on is one packet", 1024, {{17, 3, true}}, {{17, 3}}},
    {"three messages at one time share a packet", 1024, {{5, 3, true}, {5, 3, true}, {5, 3, true}}, {{5, 9}}},
    {"a new time stamp starts a packet", 1024, {{1, 3, true}, {2, 3, true}, {2, 3, true}}, {{1, 3}, {2, 6}}},
    {"a packet holds at most 256 bytes", 2048, {{0, 200, true}, {0, 100, true}, {0, 56, true}}, {{0, 200}, {0, 156}}},
    {"exactly 256 bytes fill a packet", 2048, {{0, 250, true}, {0, 6, true}, {0, 1, true}}, {{0, 256}, {0, 1}}},
    {"more than 256 bytes at once are refused", 2048, {{0, 257, false}, {0, 2, true}}, {{0, 2}}},
    {"a full list refuses a new packet", kOnePacketOf3, {{1, 3, true}, {2, 3, false}}, {{1, 3}}},
    {"a full list refuses to grow a packet", kOnePacketOf3, {{1, 3, true}, {1, 1, false}}, {{1, 3}}},
    {"the second packet starts aligned", kTwoPacketsOf3, {{1, 3, true}, {2, 3, true}}, {{1, 3}, {2, 3}}},
    {"one byte short of the second packet", kTwoPacketsOf3 - 1, {{1, 3, true}, {2, 3, false}}, {{1, 3}}},
    {"a list smaller than its header", 8, {{1, 1, false}}, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::vector<UInt32> storage(1024, 0xDEADBEEF); // aligned as a list must be
    auto* list = reinterpret_cast<MIDIPacketList*>(storage.data());
    MIDIPacket* cur = MIDIPacketListInit(list);
    std::vector<Byte> sent;
    Byte next = 0;
    for (const Add& a : c.adds)
    {
      std::vector<Byte> bytes(a.n);
      for (Byte& b : bytes)
        b = next++;
      MIDIPacket* got = MIDIPacketListAdd(list, c.listSize, cur, a.time, a.n, bytes.data());
      EXPECT_EQ(got != nullptr, a.accepted);
      cur = got ? got : cur;
      if (got)
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    }
    // Walked as a host does: every byte once, in order, inside the list; the
    // packet an add returns is the last one.
    std::vector<Packet> packets;
    std::vector<Byte> received;
    const MIDIPacket* p = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p))
    {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 4, 0u);
      EXPECT_LE(&p->data[p->length] - reinterpret_cast<const Byte*>(list), static_cast<std::ptrdiff_t>(c.listSize));
      packets.push_back({p->timeStamp, p->length});
      received.insert(received.end(), p->data, p->data + p->length);
      if (i + 1 == list->numPackets)
      {
        EXPECT_EQ(cur, p);
      }
    }
    EXPECT_EQ(packets, c.want);
    EXPECT_EQ(received, sent);
  }
}

} // namespace
