// ShortInt, the integer fast path, must read exactly what IntCore (glibc's
// "%d") reads wherever it takes a text. LongFloatText: a float's text of any
// length in bounded memory must convert exactly as strtof converts the whole
// text. Each text is consumed by FloatCore, as the loader consumes it, and
// the result compared bit for bit with glibc's strtof of what FloatCore took.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "text/ScanCore.h"

namespace wobble {
namespace {

using scan::LongFloatText;

// A string source that hands what FloatCore keeps to a LongFloatText, the
// last character only once the next is asked for (FloatCore may give it back).
class CollectingSource {
public:
    CollectingSource(const std::string& text, LongFloatText& out) : text_(text), out_(out) {}
    int Get() {
        if (pos_ == text_.size())
            return scan::kEndOfInput;
        if (pending_)
            out_.Put(static_cast<unsigned char>(text_[pos_ - 1]));
        pending_ = true;
        return static_cast<unsigned char>(text_[pos_++]);
    }
    void Unget(int c) {
        if (c == scan::kEndOfInput)
            return;
        --pos_;
        pending_ = false;
    }
    void Finish() {
        if (pending_)
            out_.Put(static_cast<unsigned char>(text_[pos_ - 1]));
        pending_ = false;
    }
    size_t consumed() const { return pos_; }

private:
    const std::string& text_;
    LongFloatText& out_;
    size_t pos_ = 0;
    bool pending_ = false;
};

bool IsNumber(const std::string& text) {
    scan::StringSource source(text.c_str());
    scan::FloatText kind = scan::FloatText::kDecimal;
    return scan::FloatCore(source, kind) == scan::kScanConverted;
}

// Converts `text` as the loader would with the given verbatim limit; expects
// FloatCore to accept it and the result to carry strtof's bits.
void ExpectSameAsStrtof(const std::string& text, int verbatimLimit) {
    LongFloatText collected(verbatimLimit);
    CollectingSource source(text, collected);
    scan::FloatText kind = scan::FloatText::kDecimal;
    ASSERT_EQ(scan::FloatCore(source, kind), scan::kScanConverted) << text;
    source.Finish();
    const std::string taken = text.substr(0, source.consumed());
    const float expected = std::strtof(taken.c_str(), nullptr);
    const float got = collected.Convert();
    EXPECT_EQ(std::bit_cast<uint32_t>(got), std::bit_cast<uint32_t>(expected))
        << (text.size() > 300 ? text.substr(0, 150) + "..." + text.substr(text.size() - 150) : text)
        << " gives " << got << ", strtof " << expected;
}

void ExpectBothWays(const std::string& text) {
    ExpectSameAsStrtof(text, 0);  // through the digest, however short
    ExpectSameAsStrtof(text, LongFloatText::kVerbatimLength);
}

std::string Zeros(size_t n) {
    return std::string(n, '0');
}

// Runs ShortInt and IntCore on `text` (with the room ShortInt may read past
// it) and expects the same value and the same end wherever ShortInt takes
// the text. Returns whether it did.
bool ExpectShortIntAsIntCore(const std::string& text) {
    const std::string padded = text + std::string(16, '\0');
    int fast = 12345;
    const char* end = scan::ShortInt(padded.c_str(), fast);
    scan::StringSource source(padded.c_str());
    int exact = 54321;
    const scan::ScanResult result = scan::IntCore(source, exact);
    if (end == nullptr) {
        EXPECT_EQ(fast, 12345) << text;  // left alone
        return false;
    }
    EXPECT_EQ(result, scan::kScanConverted) << text;
    EXPECT_EQ(fast, exact) << text;
    EXPECT_EQ(end, source.position()) << text;
    return true;
}

TEST(ShortInt, TakesUpToNineDigitsWithAnySignAndEndsWhereScanfEnds) {
    std::mt19937 rng(7);
    for (int count = 1; count <= 9; ++count) {
        for (const char* sign : {"", "-", "+"}) {
            for (const char* after : {"", " ", "/", "//", "x", ".5", "-3", "\n"}) {
                for (int trial = 0; trial < 20; ++trial) {
                    std::string digits;
                    for (int i = 0; i < count; ++i)
                        digits += static_cast<char>('0' + rng() % 10);
                    if (trial == 0)
                        digits = std::string(static_cast<size_t>(count), '9');
                    const std::string text = sign + digits + after;
                    EXPECT_TRUE(ExpectShortIntAsIntCore(text)) << text;
                }
            }
        }
    }
}

TEST(ShortInt, LeavesLongRunsSignsAloneAndOtherTextsToIntCore) {
    // Ten or more digits may overflow: IntCore saturates them.
    for (const std::string text :
         {"1234567890", "-9999999999", "+00000000001", "2147483648", "99999999999999999999/1"}) {
        EXPECT_FALSE(ExpectShortIntAsIntCore(text)) << text;
    }
    for (const std::string text : {"", "-", "+", "-x", "+-1", "--1", "x1", "/1", " 1", ".5"})
        EXPECT_FALSE(ExpectShortIntAsIntCore(text)) << text;
}

TEST(LongFloatText, TiesBeyondTheKeptDigitsRoundByTheDigitsNotKept) {
    // 16777217 lies halfway between two floats: a tie goes to the even one,
    // anything above it, however far down the digits, goes up.
    ExpectBothWays("16777217");
    ExpectBothWays("16777217." + Zeros(500));
    ExpectBothWays("16777217." + Zeros(500) + "1");
    ExpectBothWays("16777216." + std::string(500, '9'));
    ExpectBothWays("1677721" + Zeros(300) + "1e-300");
    // Half the smallest subnormal, 2^-150, exactly and a hair above.
    const std::string halfSmallest =
        "7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743"
        "319094181060791015625e-46";
    ExpectBothWays(halfSmallest);
    ExpectBothWays(halfSmallest.substr(0, halfSmallest.size() - 4) + Zeros(400) + "1e-46");
    ExpectBothWays("-" + halfSmallest.substr(0, halfSmallest.size() - 4) + Zeros(400) + "e-46");
    // Just below and above the overflow threshold 2^128 - 2^103.
    ExpectBothWays("340282356779733661637539395458142568447." + std::string(300, '9'));
    ExpectBothWays("340282356779733661637539395458142568448." + Zeros(300) + "1");
}

TEST(LongFloatText, LongRunsOfZerosAndDigitsMoveThePoint) {
    ExpectBothWays(Zeros(5000) + "1.5");
    ExpectBothWays("0." + Zeros(5000) + "15e5010");
    ExpectBothWays("0." + Zeros(5000) + "15e4990");
    ExpectBothWays("1" + Zeros(5000) + "e-4990");
    ExpectBothWays("1" + Zeros(5000) + "e-5020");
    ExpectBothWays("123456789" + std::string(3000, '7') + "e-3001");
    ExpectBothWays("-." + Zeros(80) + "3" + std::string(200, '3') + "e+80");
    ExpectBothWays("0." + Zeros(1000));
    ExpectBothWays("-" + Zeros(1000) + ".e" + Zeros(10) + "7");
}

TEST(LongFloatText, HugeExponentsSaturateToZeroOrInfinity) {
    ExpectBothWays("1e" + std::string(40, '9'));
    ExpectBothWays("-1e" + std::string(40, '9'));
    ExpectBothWays("1e-" + std::string(40, '9'));
    ExpectBothWays("0e" + std::string(40, '9'));
    ExpectBothWays("1e+" + Zeros(3000) + "38");
    ExpectBothWays("3.4e" + Zeros(3000) + "39");
    ExpectBothWays("0." + Zeros(100) + "1e" + std::string(30, '9'));
}

TEST(LongFloatText, HexadecimalTextsOfAnyLength) {
    ExpectBothWays("0x1.000001p0");  // a tie: to even
    ExpectBothWays("0x1.000001" + Zeros(200) + "1p0");
    ExpectBothWays("0X" + Zeros(300) + "ABCDEFp-" + Zeros(200) + "20");
    ExpectBothWays("-0x." + Zeros(400) + "8p+1600");
    ExpectBothWays("0x" + std::string(100, 'f') + "p-400");
    ExpectBothWays("0x1p-" + std::string(30, '9'));
    ExpectBothWays("0x1.fffffe" + std::string(100, 'f') + "p127");
    ExpectBothWays("-0x.");
    ExpectBothWays("0x" + Zeros(200));
}

TEST(LongFloatText, MarkersWithoutTheirDigitsAreLeftOut) {
    ExpectBothWays("1e");
    ExpectBothWays("1e+");
    ExpectBothWays(std::string(300, '2') + "e-x");
    ExpectBothWays("0x1p");
    ExpectBothWays("0x" + std::string(100, '3') + "p-");
    ExpectBothWays("+.5E");
}

TEST(LongFloatText, ShortTextsKeepNanAndInfinity) {
    for (const char* text : {"nan", "-NaN", "inf", "+INF", "-infinity", "Infinity", "-0",
                             "0x"
                             "1p-149",
                             "1.17549435e-38"}) {
        ExpectSameAsStrtof(text, LongFloatText::kVerbatimLength);
    }
}

TEST(LongFloatText, AgreesWithStrtofOnGeneratedTexts) {
    std::mt19937 rng(2024);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto digits = [&](int most, bool hex) {
        // Runs of zeros, runs of one digit, and random digits, so that the
        // kept digits and the sticky one meet every kind of tail.
        std::string s;
        const int parts = pick(4);
        for (int k = 0; k < parts; ++k) {
            const int n = pick(most);
            const int kind = pick(3);
            const char* alphabet = hex ? "0123456789abcdefABCDEF" : "0123456789";
            const int size = hex ? 22 : 10;
            const char same = alphabet[pick(size)];
            for (int i = 0; i < n; ++i)
                s += kind == 0 ? '0' : kind == 1 ? same : alphabet[pick(size)];
        }
        return s;
    };
    int tested = 0;
    for (int i = 0; i < 4000; ++i) {
        const bool hex = pick(4) == 0;
        std::string text = pick(3) == 0 ? "-" : pick(2) == 0 ? "+" : "";
        if (hex)
            text += pick(2) ? "0x" : "0X";
        const std::string whole = digits(pick(3) == 0 ? 400 : 40, hex);
        text += whole;
        if (pick(2)) {
            text += '.';
            text += digits(pick(3) == 0 ? 400 : 40, hex);
        }
        if (pick(2)) {
            text += hex ? (pick(2) ? 'p' : 'P') : (pick(2) ? 'e' : 'E');
            const int sign = pick(3);
            text += sign == 0 ? "-" : sign == 1 ? "+" : "";
            const std::string exponent = digits(pick(4) == 0 ? 60 : 3, false);
            text += exponent;
        }
        if (!IsNumber(text))
            continue;  // "-.", "0x" and the like: no number at all
        ExpectBothWays(text);
        ++tested;
        if (HasFailure())
            return;
    }
    EXPECT_GT(tested, 3000);
}

}  // namespace
}  // namespace wobble
