#include "wire/frame_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "common/markup_document.h"
#include "wire/api_frame.h"
#include "wire/frame_crc16.h"

namespace tavrel {

namespace {

std::string Header(const std::string& type) {
  return "<?xml version=\"1.0\" encoding=\"GBK\" ?>\r\n<root type=\"" + type + "\"/>\r\n";
}

std::string Frame(const std::string& header, const std::string& payload = {},
                  int mode = kBodyNone) {
  ByteBuffer frame;
  EXPECT_EQ(BuildFrame(header, payload, mode, frame), FrameBuild::kBuilt);
  return std::string(reinterpret_cast<const char*>(frame.At(0)), frame.Length());
}

// Feeds bytes into a receive buffer and records the `type` of every decoded header.
class Receiver {
 public:
  void Feed(const std::string& bytes) {
    buffer_.Append(bytes.data(), bytes.size());
    ProcessFrames(
        buffer_, search_, [] { return false; },
        [this](MarkupDocument& header) {
          header.FindElement("root");
          types_.push_back(header.GetAttribute("type"));
        },
        [this] { ++undecodable_; });
  }
  const std::vector<std::string>& types() const { return types_; }
  int undecodable() const { return undecodable_; }
  size_t pending() const { return buffer_.Length(); }

 private:
  ByteBuffer buffer_;
  FrameSearch search_;
  std::vector<std::string> types_;
  int undecodable_ = 0;
};

TEST(FrameCrc16, MatchesTheCheckValueAndVanishesOverItself) {
  const std::string check = "123456789";
  const auto* bytes = reinterpret_cast<const uint8_t*>(check.data());
  EXPECT_EQ(FrameCrc16(bytes, check.size()), 0x4B37);
  EXPECT_EQ(FrameCrc16(nullptr, 5), 0xFFFF);
  const std::string withCrc = check + "\x37\x4B";
  EXPECT_EQ(FrameCrc16(reinterpret_cast<const uint8_t*>(withCrc.data()), withCrc.size()), 0);
}

// The definition, one bit at a time, against the table-driven CRC over every length up to a
// few eight-byte strides and every start offset (the strides must not depend on alignment).
TEST(FrameCrc16, AgreesWithTheBitwiseDefinitionAtEveryLengthAndOffset) {
  const auto bitwise = [](const uint8_t* data, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
      crc ^= data[i];
      for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
      }
    }
    return crc;
  };
  std::vector<uint8_t> bytes(64);
  std::mt19937 random(16);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t length = 0; length + offset <= bytes.size(); ++length) {
      ASSERT_EQ(FrameCrc16(bytes.data() + offset, length), bitwise(bytes.data() + offset, length))
          << "offset " << offset << " length " << length;
    }
  }
}

TEST(FrameCodec, BuildsTheDocumentedLayout) {
  const std::string header = Header("1");
  const std::string frame = Frame(header, "xyz", kBodyRaw);
  const size_t total = 16 + header.size() + 3 + 6;
  ASSERT_EQ(frame.size(), total);
  EXPECT_EQ(frame.substr(0, 4), "\x68\x68\x16\x16");
  EXPECT_EQ(static_cast<uint8_t>(frame[4]), total - 14);  // L = 8 + X + B
  EXPECT_EQ(frame.substr(8, 4), "\x68\x68\x68\x68");
  EXPECT_EQ(static_cast<uint8_t>(frame[12]), header.size());
  EXPECT_EQ(frame.substr(16, header.size()), header);
  EXPECT_EQ(frame.substr(16 + header.size(), 3), "xyz");
  EXPECT_EQ(frame.substr(total - 4), "\x55\xAA\x55\xAA");
}

TEST(FrameCodec, CompressedBodyCarriesTheLengthThenTheZlibStream) {
  const std::string payload(2049, 'v');
  const std::string header = Header("2");
  const std::string frame = Frame(header, payload, kBodyCompressed);
  const std::string body = frame.substr(16 + header.size(), frame.size() - 16 - header.size() - 6);
  ASSERT_GT(body.size(), 4u);
  EXPECT_EQ(body.substr(0, 4), std::string("\x01\x08\0\0", 4));  // 2049
  std::string inflated;
  ASSERT_TRUE(DecodeFrameBody(kBodyCompressed, body, inflated));
  EXPECT_EQ(inflated, payload);
  EXPECT_FALSE(DecodeFrameBody(kBodyCompressed, body.substr(0, body.size() - 3), inflated));
  EXPECT_FALSE(DecodeFrameBody(kBodyCompressed, "\x01\x02", inflated));
}

// Clients read bodies with zlib: every payload, compressible or not, across the 64 KiB of a
// stored block, must come back whole through zlib's uncompress.
TEST(FrameCodec, EveryCompressedPayloadComesBackThroughZlib) {
  std::mt19937 random(7);
  const auto noise = [&random](size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  };
  const std::string header = Header("3");
  for (const std::string& payload :
       {std::string(2049, 'v'), noise(2049), noise(65535), noise(65536 * 3 + 7),
        noise(100000) + std::string(100000, 'r') + noise(1000)}) {
    SCOPED_TRACE(payload.size());
    const std::string frame = Frame(header, payload, kBodyCompressed);
    const std::string body =
        frame.substr(16 + header.size(), frame.size() - 16 - header.size() - 6);
    ASSERT_GT(body.size(), 4u);
    std::string inflated(payload.size(), '\0');
    uLongf length = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length,
                         reinterpret_cast<const Bytef*>(body.data() + 4),
                         static_cast<uLong>(body.size() - 4)),
              Z_OK);
    EXPECT_EQ(length, payload.size());
    EXPECT_TRUE(inflated == payload);
  }
}

TEST(FrameCodec, RefusesACompressedPayloadAtTheLimit) {
  ByteBuffer frame;
  const std::string payload(kFrameMaxCompressedPayload - 36, 'x');
  EXPECT_EQ(BuildFrame(Header("4"), payload, kBodyCompressed, frame), FrameBuild::kTooLarge);
  EXPECT_EQ(BuildFrame(Header("4"), payload.substr(1), kBodyCompressed, frame), FrameBuild::kBuilt);
}

TEST(FrameCodec, DecodesFramesInOrderWhateverTheSegmentation) {
  const std::string stream = Frame(Header("a")) + Frame(Header("b"), "body", kBodyRaw);
  Receiver together;
  together.Feed(stream);
  EXPECT_EQ(together.types(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(together.pending(), 0u);

  Receiver byteByByte;
  const size_t firstEnd = Frame(Header("a")).size();
  for (size_t i = 0; i < stream.size(); ++i) {
    byteByByte.Feed(stream.substr(i, 1));
    EXPECT_EQ(byteByByte.types().size(), (i + 1 >= stream.size()) + (i + 1 >= firstEnd))
        << "after byte " << i;
  }
}

TEST(FrameCodec, SkipsNoiseAndDropsACorruptedFrame) {
  std::string corrupted = Frame(Header("bad"), "payload", kBodyRaw);
  corrupted[corrupted.size() - 8] ^= 0x01;  // a payload byte
  Receiver receiver;
  receiver.Feed("garbage\x68\x68\x16" + corrupted + "\x01\x02" + Frame(Header("good")));
  EXPECT_EQ(receiver.types(), std::vector<std::string>{"good"});
  EXPECT_EQ(receiver.undecodable(), 0);
}

TEST(FrameCodec, ImpossibleLengthCostsTwelveBytes) {
  for (const uint32_t length : {5u, static_cast<uint32_t>(kFrameMaxLength) + 1}) {
    std::string candidate = Frame(Header("x"));
    for (int i = 0; i < 4; ++i) candidate[4 + i] = static_cast<char>(length >> (8 * i));
    ByteBuffer buffer;
    buffer.Append(candidate.data(), candidate.size());
    EXPECT_EQ(ScanFrame(buffer), FrameScan::kDiscarded);
    EXPECT_EQ(buffer.Length(), candidate.size() - 12);
  }
}

TEST(FrameCodec, UndecodableHeaderIsReportedAndRemoved) {
  Receiver receiver;
  receiver.Feed(Frame("<root><a></root") + Frame(Header("next")));
  EXPECT_EQ(receiver.undecodable(), 1);
  EXPECT_EQ(receiver.types(), std::vector<std::string>{"next"});

  std::string lying = Frame(Header("x"));
  lying[12] = static_cast<char>(0xFF);  // header length beyond the frame; CRC fixed below
  lying[13] = lying[14] = lying[15] = 0x7F;
  const size_t crcAt = lying.size() - 6;
  const uint16_t crc = FrameCrc16(reinterpret_cast<const uint8_t*>(lying.data()), crcAt);
  lying[crcAt] = static_cast<char>(crc & 0xFF);
  lying[crcAt + 1] = static_cast<char>(crc >> 8);
  receiver.Feed(lying);
  EXPECT_EQ(receiver.undecodable(), 2);
  EXPECT_EQ(receiver.pending(), 0u);
}

TEST(FrameCodec, NoiseWithoutAnySyncIsThrownAwayPastTheLimit) {
  ByteBuffer buffer;
  const std::string noise(static_cast<size_t>(kFrameMaxLength), 'n');
  buffer.Append(noise.data(), noise.size());
  EXPECT_EQ(ScanFrame(buffer), FrameScan::kNeedMore);
  EXPECT_EQ(buffer.Length(), noise.size());
  buffer.Append("n", 1);
  EXPECT_EQ(ScanFrame(buffer), FrameScan::kNeedMore);
  EXPECT_EQ(buffer.Length(), 0u);
}

// A search that resumes where the last stopped looks at noise once, and leaves after every
// arrival what a search from the front leaves: the same frames, the same bytes discarded, the
// clear past the limit included.
TEST(FrameCodec, AResumedSearchDiscardsWhatASearchFromTheFrontDoes) {
  const std::string frame = Frame(Header("f"));
  const std::string noise(100000, '\x68');
  struct Case {
    const char* name;
    std::string stream;
    size_t segment;
  };
  const Case cases[] = {
      {"noise, then a frame", noise + frame + frame, 4096},
      {"noise, then a frame, byte by byte", noise.substr(0, 300) + frame, 1},
      {"a sync 1 pattern that never finds its sync 2",
       std::string(50000, '\x16') + "\x68\x68" + frame, 777},
      {"past the limit", std::string(static_cast<size_t>(kFrameMaxLength) + 5, '\x68') + frame,
       size_t{1} << 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteBuffer resumed;
    ByteBuffer fromFront;
    FrameSearch search;
    int frames = 0;
    const int expectedFrames = c.stream.ends_with(frame + frame) ? 2 : 1;
    const size_t noiseEnd = c.stream.size() - static_cast<size_t>(expectedFrames) * frame.size();
    for (size_t at = 0; at < c.stream.size(); at += c.segment) {
      const std::string segment = c.stream.substr(at, c.segment);
      resumed.Append(segment.data(), segment.size());
      fromFront.Append(segment.data(), segment.size());
      for (;;) {
        const FrameScan scan = ScanFrame(resumed, search);
        ASSERT_EQ(ScanFrame(fromFront), scan);
        ASSERT_EQ(resumed.Length(), fromFront.Length());
        if (scan == FrameScan::kNeedMore) break;
        if (scan != FrameScan::kComplete) continue;
        ++frames;
        const auto take = [](MarkupDocument&) {};
        TakeFrame(resumed, take);
        TakeFrame(fromFront, take);
      }
      // While only noise has come, every offset that could hold a header was searched once.
      if (at + segment.size() <= noiseEnd && resumed.Length() > kFrameScanMinimum) {
        EXPECT_EQ(search.searched, resumed.Length() - 11);
      }
    }
    EXPECT_EQ(frames, expectedFrames);
  }
}

TEST(ByteBuffer, GrowsByTheDoublingRule) {
  ByteBuffer buffer(100);
  const std::string bytes(500, 'b');
  buffer.Append(bytes.data(), 60);
  EXPECT_EQ(buffer.Capacity(), 100u);
  buffer.Append(bytes.data(), 60);  // 120 is below 2 x 100: twice the capacity
  EXPECT_EQ(buffer.Capacity(), 200u);
  buffer.Append(bytes.data(), 250);  // 370 is below 2 x 200: twice again
  EXPECT_EQ(buffer.Capacity(), 400u);
  buffer.Append(bytes.data(), 500);  // 870 reaches 2 x 400: four times the length needed
  EXPECT_EQ(buffer.Capacity(), 3480u);
  EXPECT_EQ(buffer.Length(), 870u);
  EXPECT_EQ(*buffer.At(-1), 'b');
  buffer.RemoveFront(869);
  EXPECT_EQ(buffer.Length(), 1u);
  buffer.RemoveFront(5);
  EXPECT_EQ(buffer.Length(), 0u);
}

// A receiver takes frame after frame from the front: the rest stays where it is until an
// append needs the room, and then moves down once instead of the storage growing.
TEST(ByteBuffer, TakingFromTheFrontMovesNothingUntilTheRoomIsNeeded) {
  std::string bytes(100, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
  ByteBuffer buffer(100);
  buffer.Append(bytes.data(), 90);
  const std::uint8_t* tenth = buffer.At(10);
  buffer.RemoveFront(10);
  EXPECT_EQ(buffer.At(0), tenth);
  EXPECT_EQ(buffer.FreeSpace(), 10u);
  buffer.RemoveFront(50);
  buffer.Append(bytes.data(), 40);  // 30 + 40 fit once the 30 move down
  EXPECT_EQ(buffer.Capacity(), 100u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.At(0)), buffer.Length()),
            bytes.substr(60, 30) + bytes.substr(0, 40));
  buffer.Append(bytes.data(), 31);  // 101 do not: twice the capacity
  EXPECT_EQ(buffer.Capacity(), 200u);
  EXPECT_EQ(*buffer.At(-1), 30);
}

}  // namespace

}  // namespace tavrel
