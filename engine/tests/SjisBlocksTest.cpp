// The block masks against byte-by-byte answers.
#include "engine/SjisBlocks.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace qm {
namespace {

// Whether each byte is the second byte of a two-byte character, by the walk from
// the first byte.
std::vector<bool> TrailsByWalk(const std::string& text, const std::array<bool, 256>& lead,
                               bool firstIsTrail) {
    std::vector<bool> trail(text.size());
    bool second = firstIsTrail;
    for (std::size_t i = 0; i < text.size(); ++i) {
        trail[i] = second;
        second = !second && lead[static_cast<unsigned char>(text[i])];
    }
    return trail;
}

std::array<bool, 256> RandomSet(std::mt19937& rng, int ranges) {
    std::array<bool, 256> set{};
    std::uniform_int_distribution<int> byte(0, 255), width(0, 40);
    for (int r = 0; r < ranges; ++r) {
        const int low = byte(rng);
        for (int b = low; b <= std::min(255, low + width(rng)); ++b)
            set[static_cast<std::size_t>(b)] = true;
    }
    return set;
}

// The lead bytes of code page 932, fixed here whatever the text services say.
std::array<bool, 256> Cp932LeadBytes() {
    std::array<bool, 256> lead{};
    for (unsigned b = 0x81; b <= 0x9F; ++b)
        lead[b] = true;
    for (unsigned b = 0xE0; b <= 0xFC; ++b)
        lead[b] = true;
    return lead;
}

TEST(TrailBits, AgreesWithTheWalkOverRunsOfLeadBytes) {
    std::mt19937 rng(21);
    const std::array<bool, 256> lead = Cp932LeadBytes();
    const ByteSet leads(lead);
    // Texts with long runs of lead bytes of either parity across block ends.
    const char kBytes[] = {'\x81', '\x9F', '\xE0', '\xFC', 'a', '\xA0', '\x40'};
    for (int round = 0; round < 2000; ++round) {
        std::string text(kBlockBytes * (1 + rng() % 4), 'a');
        const unsigned leadShare = rng() % 8;  // from no lead bytes to nearly all
        for (char& c : text)
            c = rng() % 8 < leadShare ? kBytes[rng() % 4] : kBytes[4 + rng() % 3];
        const bool firstIsTrail = round % 3 == 0;
        const std::vector<bool> want = TrailsByWalk(text, lead, firstIsTrail);
        TrailBits trail(firstIsTrail);
        for (std::size_t block = 0; block < text.size(); block += kBlockBytes) {
            const std::uint64_t bits =
                trail.Next(leads.Mask(reinterpret_cast<const std::uint8_t*>(text.data()) + block));
            for (std::size_t k = 0; k < kBlockBytes; ++k)
                ASSERT_EQ((bits >> k & 1) != 0, want[block + k]) << "byte " << block + k;
        }
        const bool afterLast =
            !want.back() && lead[static_cast<unsigned char>(text.back())];  // the last opens
        EXPECT_EQ(trail.NextIsTrail(), afterLast);
    }
}

TEST(ByteSet, MaskHoldsTheMembers) {
    std::mt19937 rng(22);
    for (int round = 0; round < 500; ++round) {
        // Up to four ranges are compared, more are looked up: both ways are tested.
        const std::array<bool, 256> members = RandomSet(rng, 1 + round % 8);
        const ByteSet set(members);
        std::string block(kBlockBytes, '\0');
        for (char& c : block)
            c = static_cast<char>(rng());
        const std::uint64_t mask = set.Mask(reinterpret_cast<const std::uint8_t*>(block.data()));
        for (std::size_t k = 0; k < kBlockBytes; ++k) {
            const auto b = static_cast<unsigned char>(block[k]);
            ASSERT_EQ((mask >> k & 1) != 0, members[b]) << "byte " << unsigned{b};
            ASSERT_EQ(set.Contains(b), members[b]);
        }
    }
}

TEST(StartFinder, FindsWantedBytesWhereCharactersBegin) {
    std::mt19937 rng(24);
    const std::array<bool, 256> lead = Cp932LeadBytes();
    const ByteSet leads(lead);
    const char kBytes[] = {'\x81', '\x82', '\xE0', 'a', 'b', '\x40', '\xA0', '\0'};
    for (int round = 0; round < 3000; ++round) {
        // Long stretches without a wanted byte, and runs of lead bytes, so that
        // blocks are passed over and the walk is picked up after them.
        std::string text(rng() % 400, 'a');
        const unsigned density = 1 + rng() % 8;
        for (char& c : text)
            c = rng() % 8 < density ? kBytes[rng() % std::size(kBytes)] : 'a';
        std::array<bool, 256> wantedBytes{}, secondBytes{};
        wantedBytes[static_cast<unsigned char>(kBytes[rng() % std::size(kBytes)])] = true;
        wantedBytes[static_cast<unsigned char>(kBytes[rng() % std::size(kBytes)])] = true;
        secondBytes[static_cast<unsigned char>(kBytes[rng() % std::size(kBytes)])] = true;
        const ByteSet wanted(wantedBytes), seconds(secondBytes);
        const bool pairs = rng() % 2;
        StartFinder finder =
            pairs ? StartFinder(text, wanted, leads, seconds) : StartFinder(text, wanted, leads);
        std::vector<bool> trail = TrailsByWalk(text, lead, false);
        std::size_t from = 0;
        while (from <= text.size()) {
            if (rng() % 10 == 0) {  // the walk starts again here
                finder.Restart(from);
                const std::vector<bool> rest = TrailsByWalk(text.substr(from), lead, false);
                std::copy(rest.begin(), rest.end(),
                          trail.begin() + static_cast<std::ptrdiff_t>(from));
            }
            std::size_t want = from;
            while (want < text.size() &&
                   !(wantedBytes[static_cast<unsigned char>(text[want])] && !trail[want] &&
                     (!pairs || (want + 1 < text.size() &&
                                 secondBytes[static_cast<unsigned char>(text[want + 1])]))))
                ++want;
            ASSERT_EQ(finder.Next(from), want) << "from " << from << " in round " << round;
            from = want + 1 + rng() % (rng() % 4 == 0 ? 100 : 3);
        }
        ASSERT_EQ(finder.Next(text.size() + 2), text.size());
    }
}

TEST(StartFinder, PassesOverLongStretchesWithoutWantedBytes) {
    std::mt19937 rng(25);
    for (int round = 0; round < 2000; ++round) {
        // A set of each shape: single bytes, ranges, and more ranges than are
        // compared at once, whose rough masks let near bytes through.
        std::array<bool, 256> members{};
        const unsigned ranges = 1 + rng() % 6, width = rng() % 3;
        for (unsigned r = 0; r < ranges; ++r) {
            const unsigned low = 0x80 + 8 * r + rng() % 4;
            for (unsigned b = low; b <= low + width; ++b)
                members[b] = true;
        }
        const ByteSet wanted(members);
        std::string text(rng() % 1500, '\0');
        for (char& c : text)
            c = static_cast<char>(rng() % 0x100 < 0x80 ? rng() % 0x80 : 0x80 + rng() % 0x40);
        for (char& c : text) {  // mostly no members, a few planted
            if (members[static_cast<unsigned char>(c)] && rng() % 64 != 0) c = 'x';
        }
        StartFinder finder(text, wanted, ByteSet());
        std::size_t from = 0;
        for (;;) {
            std::size_t want = from;
            while (want < text.size() && !members[static_cast<unsigned char>(text[want])])
                ++want;
            ASSERT_EQ(finder.Next(from), want) << "from " << from << " in round " << round;
            if (want == text.size()) break;
            from = want + 1;
        }
    }
}

TEST(LineEnds, FindsEveryCrAcrossBlocks) {
    std::mt19937 rng(26);
    for (int round = 0; round < 2000; ++round) {
        // Lines from none to a few hundred bytes long, lead bytes before the CR too.
        std::string text(rng() % 700, 'a');
        const unsigned spacing = 1 + rng() % 300;
        for (char& c : text)
            c = rng() % spacing == 0 ? '\r' : rng() % 4 == 0 ? '\x82' : 'a';
        LineEnds ends(text);
        for (std::size_t from = 0;; from += 1 + rng() % 3) {
            const std::size_t want = std::min(text.find('\r', from), text.size());
            ASSERT_EQ(ends.Next(from), want) << "from " << from << " in round " << round;
            if (want == text.size()) break;
            from = want;
        }
    }
}

TEST(PieceWriter, WritesThePiecesInOrder) {
    std::mt19937 rng(23);
    for (int round = 0; round < 300; ++round) {
        std::string text(rng() % 20000, '\0');
        for (char& c : text)
            c = static_cast<char>('a' + rng() % 26);
        std::string out = "old content", want;
        {
            PieceWriter writer(text, out);
            std::size_t at = 0;
            while (at < text.size()) {
                // Short pieces, near the end of the text too, and long ones.
                const std::size_t length = std::min<std::size_t>(
                    text.size() - at, rng() % 4 == 0 ? rng() % 3000 : rng() % 20);
                writer.Copy(at, at + length);
                want.append(text, at, length);
                at += length;
                switch (rng() % 4) {
                    case 0:
                        writer.Put('1');
                        want += '1';
                        break;
                    case 1: {
                        const std::size_t count = 1 + rng() % 2;
                        writer.Put('2', '3', count);
                        want += std::string("23").substr(0, count);
                        break;
                    }
                    default:
                        break;
                }
            }
        }
        ASSERT_EQ(out, want);
    }
}

}  // namespace
}  // namespace qm
