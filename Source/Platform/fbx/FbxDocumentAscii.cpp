// ASCII FBX: "Key: value, value {" opens a record, "}" closes it, ';' starts a comment,
// "Key: *N { a: v,v,... }" holds an array.
#include "Platform/fbx/FbxDocumentParsers.h"
#include "Platform/fbx/FbxParallel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace Vela::Fbx::impl
{
    namespace
    {
        enum class TokenKind
        {
            End, Key, Word, String, Number, Comma, Open, Close, Star, Bad
        };

        struct Token
        {
            TokenKind kind = TokenKind::End;
            std::string_view text;
        };

        // Character classes, looked up in one table since the tokenizer asks for every byte of the file.
        constexpr uint8_t SPACE = 1;
        constexpr uint8_t DELIMITER = 2;
        constexpr uint8_t NOT_INTEGER = 4;  // marks a number as real (or as no number)
        constexpr std::array<uint8_t, 256> CHARACTER_CLASSES = [] {
            std::array<uint8_t, 256> classes{};
            for (const char space : {' ', '\t', '\r', '\n', '\f', '\v'})
                classes[static_cast<uint8_t>(space)] = SPACE | DELIMITER;
            for (const char delimiter : {',', '{', '}', ';', '"', ':', '*'})
                classes[static_cast<uint8_t>(delimiter)] = DELIMITER;
            for (const char real : {'.', 'e', 'E', 'n', 'N'})
                classes[static_cast<uint8_t>(real)] = NOT_INTEGER;
            return classes;
        }();

        bool IsSpace(char aChar) { return CHARACTER_CLASSES[static_cast<uint8_t>(aChar)] & SPACE; }
        bool IsDelimiter(char aChar) { return CHARACTER_CLASSES[static_cast<uint8_t>(aChar)] & DELIMITER; }
        bool StartsNumber(char aChar) { return (aChar >= '0' && aChar <= '9') || aChar == '-' || aChar == '+' || aChar == '.'; }

        bool IsIntegerText(std::string_view aText)
        {
            return aText.find_first_of(".eEnN") == std::string_view::npos;
        }

        // Plain decimal integers short enough not to overflow, read directly; false for anything else.
        bool ReadShortInteger(std::string_view aText, int64_t& aOut)
        {
            const bool negative = !aText.empty() && aText.front() == '-';
            aText.remove_prefix(negative);
            if (aText.empty() || aText.size() > 18)
                return false;
            int64_t value = 0;
            for (const char digit : aText)
            {
                if (digit < '0' || digit > '9')
                    return false;
                value = value * 10 + (digit - '0');
            }
            aOut = negative ? -value : value;
            return true;
        }

        // A decimal's digits as one integer and how many of them follow the point. While the integer is at
        // most 2^53 and the point at most 22 digits in, both it and the power of ten are exact doubles, so
        // their one division is the correctly rounded value, the same that from_chars gives. At most 19
        // digits are taken, so that the integer cannot have wrapped. False beyond that.
        bool ExactDecimal(uint64_t aDigits, ptrdiff_t aDigitCount, ptrdiff_t aFractionDigits, double& aOut)
        {
            static constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
            constexpr uint64_t EXACT_LIMIT = uint64_t{1} << 53;
            if (aDigitCount <= 0 || aDigitCount > 19 || aFractionDigits < 0 || aFractionDigits > 22 || aDigits > EXACT_LIMIT)
                return false;
            aOut = static_cast<double>(aDigits) / POWERS_OF_TEN[aFractionDigits];
            return true;
        }

        // Plain decimals ("-12.375", "0.0990169644355774") read directly (see ExactDecimal); false for
        // anything else (exponents, longer numbers), which from_chars reads.
        bool ReadShortDecimal(std::string_view aText, double& aOut)
        {
            const bool negative = !aText.empty() && aText.front() == '-';
            aText.remove_prefix(negative);
            uint64_t digits = 0;
            ptrdiff_t digitCount = 0;
            ptrdiff_t fractionDigits = -1;  // -1 until the point
            for (const char character : aText)
            {
                if (character == '.' && fractionDigits < 0)
                    fractionDigits = 0;
                else if (character >= '0' && character <= '9' && digitCount < 19)
                {
                    digits = digits * 10 + static_cast<uint64_t>(character - '0');
                    ++digitCount;
                    fractionDigits += fractionDigits >= 0;
                }
                else
                    return false;
            }
            double value = 0.0;
            if (!ExactDecimal(digits, digitCount, std::max<ptrdiff_t>(fractionDigits, 0), value))
                return false;
            aOut = negative ? -value : value;
            return true;
        }

        enum class ArrayNumber
        {
            Integer, Real, Bad
        };

        // One array value's text (a leading '+' allowed) as an integer when written as one and it fits,
        // else as a real; Bad when it is no number.
        ArrayNumber ReadArrayNumber(std::string_view aText, bool aIsInteger, int64_t& aInteger, double& aReal)
        {
            if (!aText.empty() && aText.front() == '+')
                aText.remove_prefix(1);
            const char* begin = aText.data();
            const char* end = begin + aText.size();
            if (aIsInteger)
            {
                if (ReadShortInteger(aText, aInteger))
                    return ArrayNumber::Integer;
                const auto [stop, error] = std::from_chars(begin, end, aInteger);
                if (error == std::errc() && stop == end)
                    return ArrayNumber::Integer;
            }
            if (ReadShortDecimal(aText, aReal))
                return ArrayNumber::Real;
            const auto [stop, error] = std::from_chars(begin, end, aReal);
            return error == std::errc() && stop == end ? ArrayNumber::Real : ArrayNumber::Bad;
        }

        // The values of an array, integers until the first real, all reals from then on.
        struct ArrayValues
        {
            std::vector<int64_t> integers;
            std::vector<double> reals;
            bool allIntegers = true;

            void AddInteger(int64_t aValue)
            {
                if (allIntegers)
                    integers.push_back(aValue);
                else
                    reals.push_back(static_cast<double>(aValue));
            }

            void AddReal(double aValue)
            {
                if (allIntegers)
                    TurnToReals();
                reals.push_back(aValue);
            }

            void TurnToReals()
            {
                reals.reserve(integers.capacity());
                reals.assign(integers.begin(), integers.end());
                integers = {};
                allIntegers = false;
            }
        };

        // Characters a plain run of array values may hold; anything else (comments, names, strings)
        // leaves the run to the tokenizer.
        constexpr uint8_t RUN_SPACE = 1;
        constexpr uint8_t RUN_DIGIT = 2;
        constexpr uint8_t RUN_NUMBER = 4;  // may appear in a number beyond plain digits and one '.'
        constexpr std::array<uint8_t, 256> RUN_CLASSES = [] {
            std::array<uint8_t, 256> classes{};
            for (const char space : {' ', '\t', '\r', '\n', '\f', '\v'})
                classes[static_cast<uint8_t>(space)] = RUN_SPACE;
            for (char digit = '0'; digit <= '9'; ++digit)
                classes[static_cast<uint8_t>(digit)] = RUN_DIGIT;
            for (const char other : {'.', '-', '+', 'e', 'E'})
                classes[static_cast<uint8_t>(other)] = RUN_NUMBER;
            return classes;
        }();

        bool IsDigit(char aChar) { return static_cast<unsigned>(aChar - '0') < 10; }

        // Reads the aCount values of "v, v, ..., v" in [aBegin, aEnd) into aOut: values split by commas,
        // blanks around them, a final comma allowed when aLast. Gives exactly what the tokenizer's way gives
        // (reals, or integers when Value is int64_t), or false for anything that way would read otherwise
        // or refuse (which it then does itself, with its message). The character at aEnd must be readable
        // and, when aLast, no digit or '.': the digit loops stop on it or on a comma.
        template <typename Value>
        bool ReadValueRun(const char* aBegin, const char* aEnd, bool aLast, Value* aOut, size_t aCount)
        {
            constexpr bool READS_INTEGERS = std::is_same_v<Value, int64_t>;
            Value* const outEnd = aOut + aCount;
            const char* at = aBegin;
            while (true)
            {
                while (RUN_CLASSES[static_cast<uint8_t>(*at)] == RUN_SPACE && at != aEnd)
                    ++at;
                if (at == aEnd)
                    return aOut == outEnd;
                if (aOut == outEnd)
                    return false;
                const char* token = at;
                // Plain "-123" and "-12.375" are read while scanning, the way ReadShortInteger and
                // ReadShortDecimal read them; any other number goes through ReadArrayNumber.
                const bool negative = *at == '-';
                at += negative;
                const char* digitsStart = at;
                uint64_t digits = 0;
                for (; IsDigit(*at); ++at)
                    digits = digits * 10 + static_cast<uint64_t>(*at - '0');
                ptrdiff_t fractionDigits = -1;
                if constexpr (!READS_INTEGERS)
                {
                    if (*at == '.')
                    {
                        const char* fractionStart = ++at;
                        for (; IsDigit(*at); ++at)
                            digits = digits * 10 + static_cast<uint64_t>(*at - '0');
                        fractionDigits = at - fractionStart;
                    }
                }
                const ptrdiff_t digitCount = at - digitsStart - (fractionDigits >= 0);
                const bool ended = *at == ',' || RUN_CLASSES[static_cast<uint8_t>(*at)] == RUN_SPACE || at == aEnd;
                if (ended && fractionDigits < 0 && digitCount > 0 && digitCount <= 18)
                {
                    const int64_t value = static_cast<int64_t>(digits);
                    *aOut++ = static_cast<Value>(negative ? -value : value);
                }
                else if (double value = 0.0; ended && ExactDecimal(digits, digitCount, fractionDigits, value))
                    *aOut++ = static_cast<Value>(negative ? -value : value);
                else
                {
                    if (!StartsNumber(*token))
                        return false;
                    while (at != aEnd && *at != ',' && RUN_CLASSES[static_cast<uint8_t>(*at)] != RUN_SPACE)
                    {
                        if (RUN_CLASSES[static_cast<uint8_t>(*at)] == 0)
                            return false;
                        ++at;
                    }
                    const std::string_view text(token, static_cast<size_t>(at - token));
                    int64_t integer = 0;
                    double real = 0.0;
                    switch (ReadArrayNumber(text, IsIntegerText(text), integer, real))
                    {
                    case ArrayNumber::Integer:
                        *aOut++ = static_cast<Value>(integer);
                        break;
                    case ArrayNumber::Real:
                        if (READS_INTEGERS)
                            return false;
                        *aOut++ = static_cast<Value>(real);
                        break;
                    case ArrayNumber::Bad:
                        return false;
                    }
                }
                if (*at != ',')
                {
                    while (at != aEnd && RUN_CLASSES[static_cast<uint8_t>(*at)] == RUN_SPACE)
                        ++at;
                    if (at == aEnd)
                        return aLast && aOut == outEnd;
                    if (*at != ',')
                        return false;
                }
                ++at;
            }
        }

        // Eight bytes at a time: a byte of word ^ commas is zero exactly where a comma is.
        size_t CountCommas(const char* aBegin, const char* aEnd)
        {
            constexpr uint64_t ONES = 0x0101010101010101ull;
            constexpr uint64_t COMMAS = ONES * ',';
            constexpr uint64_t LOW_BITS = ONES * 0x7F;
            size_t count = 0;
            const char* at = aBegin;
            for (; aEnd - at >= 8; at += 8)
            {
                uint64_t word = 0;
                std::memcpy(&word, at, 8);
                const uint64_t difference = word ^ COMMAS;
                // The top bit of each byte tells whether that byte of the difference is non-zero.
                const uint64_t nonZero = ((difference & LOW_BITS) + LOW_BITS) | difference;
                const uint64_t commaBits = (~nonZero >> 7) & ONES;
                count += static_cast<size_t>((commaBits * ONES) >> 56);
            }
            for (; at != aEnd; ++at)
                count += *at == ',';
            return count;
        }

        // Values a piece of a run holds when well formed: one before each comma, and one after the last
        // comma of the run's last piece unless only blanks follow it.
        size_t CountValues(const char* aBegin, const char* aEnd, bool aLast)
        {
            size_t count = CountCommas(aBegin, aEnd);
            if (aLast)
            {
                const char* at = aEnd;
                while (at != aBegin && RUN_CLASSES[static_cast<uint8_t>(at[-1])] == RUN_SPACE)
                    --at;
                count += at != aBegin && at[-1] != ',';
            }
            return count;
        }

        // Whether any value of the text is written as a real; with the run's characters only these mark one.
        bool HoldsRealText(const char* aBegin, const char* aEnd)
        {
            const size_t size = static_cast<size_t>(aEnd - aBegin);
            return std::memchr(aBegin, '.', size) || std::memchr(aBegin, 'e', size) || std::memchr(aBegin, 'E', size);
        }

        // Below this much text a run is read on the calling thread alone.
        constexpr size_t PARALLEL_RUN_BYTES = size_t{1} << 18;
        constexpr size_t RUN_PIECE_BYTES = size_t{1} << 16;

        template <typename Value>
        bool ReadValueRunInto(const std::vector<const char*>& someCuts, const std::vector<size_t>& someOffsets,
                              std::vector<Value>& someOut)
        {
            const size_t pieces = someCuts.size() - 1;
            someOut.resize(someOffsets.back());
            std::atomic<bool> readOk{true};
            ParallelFor(pieces, 1, [&](size_t aFirst, size_t aStop) {
                for (size_t piece = aFirst; piece < aStop; ++piece)
                {
                    if (!ReadValueRun(someCuts[piece], someCuts[piece + 1], piece + 1 == pieces, someOut.data() + someOffsets[piece],
                                      someOffsets[piece + 1] - someOffsets[piece]))
                        readOk.store(false, std::memory_order_relaxed);
                }
            });
            return readOk.load();
        }

        // The values of a plain run "v, v, ..., v" as integers (all written as integers) or reals; false
        // when the run holds anything else. A large run is cut after commas into pieces read side by side:
        // first each piece's count, then the values straight into their place.
        bool ReadValueRunFast(std::string_view aRun, ArrayValues& aOut)
        {
            const char* begin = aRun.data();
            const char* end = begin + aRun.size();
            const size_t pieceCount = aRun.size() < PARALLEL_RUN_BYTES ? 1 : std::min(ParallelThreadCount(), aRun.size() / RUN_PIECE_BYTES);
            std::vector<const char*> cuts{begin};
            for (size_t i = 1; i < pieceCount; ++i)
            {
                const char* from = std::max(cuts.back(), begin + aRun.size() * i / pieceCount);
                const void* comma = std::memchr(from, ',', static_cast<size_t>(end - from));
                if (!comma)
                    break;
                cuts.push_back(static_cast<const char*>(comma) + 1);
            }
            cuts.push_back(end);
            const size_t pieces = cuts.size() - 1;

            std::vector<size_t> offsets(pieces + 1, 0);
            std::atomic<bool> holdsReals{false};
            ParallelFor(pieces, 1, [&](size_t aFirst, size_t aStop) {
                for (size_t piece = aFirst; piece < aStop; ++piece)
                {
                    offsets[piece + 1] = CountValues(cuts[piece], cuts[piece + 1], piece + 1 == pieces);
                    if (HoldsRealText(cuts[piece], cuts[piece + 1]))
                        holdsReals.store(true, std::memory_order_relaxed);
                }
            });
            for (size_t piece = 0; piece < pieces; ++piece)
                offsets[piece + 1] += offsets[piece];

            aOut.allIntegers = !holdsReals.load();
            if (aOut.allIntegers)
                return ReadValueRunInto(cuts, offsets, aOut.integers);
            return ReadValueRunInto(cuts, offsets, aOut.reals);
        }

        class Tokenizer
        {
        public:
            explicit Tokenizer(std::string_view aText) : myText(aText) {}

            const Token& Peek()
            {
                if (!myHasPeeked)
                {
                    myPeeked = Scan();
                    myHasPeeked = true;
                }
                return myPeeked;
            }

            Token Next()
            {
                Token token = Peek();
                myHasPeeked = false;
                return token;
            }

            // The next token when it is a number, read as Scan would read it, together with whether it is
            // written as an integer and whether a comma follows it (consumed too); false, with nothing but
            // space consumed, for any other token. The hot path of number arrays, which make up most of a
            // large file.
            bool NextNumber(std::string_view& aNumber, bool& aIsInteger, bool& aCommaFollows)
            {
                if (myHasPeeked)
                {
                    if (myPeeked.kind != TokenKind::Number)
                        return false;
                    aNumber = Next().text;
                    aIsInteger = IsIntegerText(aNumber);
                }
                else
                {
                    SkipSpaceAndComments();
                    const size_t start = myPosition;
                    if (start >= myText.size() || !StartsNumber(myText[start]))
                        return false;
                    uint8_t seen = CHARACTER_CLASSES[static_cast<uint8_t>(myText[start])];
                    size_t stop = start + 1;
                    for (; stop < myText.size(); ++stop)
                    {
                        const uint8_t characterClass = CHARACTER_CLASSES[static_cast<uint8_t>(myText[stop])];
                        if (characterClass & DELIMITER)
                            break;
                        seen |= characterClass;
                    }
                    aIsInteger = !(seen & NOT_INTEGER);
                    // A number directly followed by ':' is a record name.
                    size_t look = stop;
                    while (look < myText.size() && (myText[look] == ' ' || myText[look] == '\t'))
                        ++look;
                    if (look < myText.size() && myText[look] == ':')
                        return false;
                    aNumber = myText.substr(start, stop - start);
                    myPosition = stop;
                }
                SkipSpaceAndComments();
                aCommaFollows = myPosition < myText.size() && myText[myPosition] == ',';
                myPosition += aCommaFollows;
                return true;
            }

            size_t Remaining() const { return myText.size() - std::min(myPosition, myText.size()); }

            // The text from here to the next '}', blanks and comments skipped first; nothing when a
            // token was peeked or no '}' follows.
            std::string_view TextBeforeClose()
            {
                if (myHasPeeked)
                    return {};
                SkipSpaceAndComments();
                const size_t close = myText.find('}', myPosition);
                if (close == std::string_view::npos)
                    return {};
                return myText.substr(myPosition, close - myPosition);
            }

            // Moves past text already read by other means.
            void Skip(size_t aCount) { myPosition += aCount; }

            size_t Line() const
            {
                size_t line = 1;
                for (size_t i = 0; i < myPosition && i < myText.size(); ++i)
                    line += myText[i] == '\n';
                return line;
            }

        private:
            Token Scan()
            {
                SkipSpaceAndComments();
                if (myPosition >= myText.size())
                    return {TokenKind::End, {}};
                const char first = myText[myPosition];
                const size_t start = myPosition;
                switch (first)
                {
                case ',':
                    ++myPosition;
                    return {TokenKind::Comma, myText.substr(start, 1)};
                case '{':
                    ++myPosition;
                    return {TokenKind::Open, myText.substr(start, 1)};
                case '}':
                    ++myPosition;
                    return {TokenKind::Close, myText.substr(start, 1)};
                case '"':
                {
                    const size_t close = myText.find('"', start + 1);
                    if (close == std::string_view::npos)
                    {
                        myPosition = myText.size();
                        return {TokenKind::Bad, "unterminated string"};
                    }
                    myPosition = close + 1;
                    return {TokenKind::String, myText.substr(start + 1, close - start - 1)};
                }
                case '*':
                {
                    ++myPosition;
                    const size_t digits = myPosition;
                    while (myPosition < myText.size() && !IsDelimiter(myText[myPosition]))
                        ++myPosition;
                    return {TokenKind::Star, myText.substr(digits, myPosition - digits)};
                }
                case ':':
                    ++myPosition;
                    return {TokenKind::Bad, "stray ':'"};
                default:
                    break;
                }

                while (myPosition < myText.size() && !IsDelimiter(myText[myPosition]))
                    ++myPosition;
                const std::string_view word = myText.substr(start, myPosition - start);
                // A word directly followed by ':' names a record.
                size_t look = myPosition;
                while (look < myText.size() && (myText[look] == ' ' || myText[look] == '\t'))
                    ++look;
                if (look < myText.size() && myText[look] == ':')
                {
                    myPosition = look + 1;
                    return {TokenKind::Key, word};
                }
                return {StartsNumber(first) ? TokenKind::Number : TokenKind::Word, word};
            }

            void SkipSpaceAndComments()
            {
                while (myPosition < myText.size())
                {
                    const char c = myText[myPosition];
                    if (IsSpace(c))
                        ++myPosition;
                    else if (c == ';')
                    {
                        const size_t lineEnd = myText.find('\n', myPosition);
                        myPosition = lineEnd == std::string_view::npos ? myText.size() : lineEnd + 1;
                    }
                    else
                        break;
                }
            }

            std::string_view myText;
            size_t myPosition = 0;
            Token myPeeked;
            bool myHasPeeked = false;
        };

        // Integers as Int64, other numbers as Float64; false (nothing added) when the text is no number at all.
        bool AddNumber(std::vector<Property>& someValues, std::string_view aText)
        {
            int64_t integer = 0;
            double real = 0.0;
            switch (ReadArrayNumber(aText, IsIntegerText(aText), integer, real))
            {
            case ArrayNumber::Integer:
                someValues.emplace_back(Property::Type::Int64, std::in_place_type<int64_t>, integer);
                return true;
            case ArrayNumber::Real:
                someValues.emplace_back(Property::Type::Float64, std::in_place_type<double>, real);
                return true;
            default:
                return false;
            }
        }

        class AsciiParser
        {
        public:
            AsciiParser(std::string_view aText, Document& aDocument, std::string& aError)
                : myTokens(aText), myDocument(aDocument), myError(aError)
            {
            }

            bool ParseTopLevel(Record& aRoot) { return ParseBody(aRoot, 0, true); }

        private:
            bool Fail(std::string_view aWhat)
            {
                myError = std::string(aWhat) + " on line " + std::to_string(myTokens.Line());
                return false;
            }

            bool ParseBody(Record& aParent, size_t aDepth, bool aTopLevel)
            {
                while (true)
                {
                    const Token token = myTokens.Next();
                    switch (token.kind)
                    {
                    case TokenKind::End:
                        return aTopLevel ? true : Fail("Unexpected end of file inside a record");
                    case TokenKind::Close:
                        return aTopLevel ? Fail("Unmatched '}'") : true;
                    case TokenKind::Key:
                        if (!ParseRecord(aParent.children.emplace_back(), token.text, aDepth))
                            return false;
                        break;
                    case TokenKind::Bad:
                        return Fail(token.text);
                    default:
                        return Fail("Expected a record name");
                    }
                }
            }

            bool ParseRecord(Record& aRecord, std::string_view aName, size_t aDepth)
            {
                aRecord.name = aName;
                bool isArray = false;
                std::string_view count;
                if (myTokens.Peek().kind == TokenKind::Star)
                {
                    count = myTokens.Next().text;
                    isArray = true;
                }
                else if (!ParseValues(aRecord))
                    return false;

                if (myTokens.Peek().kind != TokenKind::Open)
                {
                    if (isArray)
                        aRecord.properties.emplace_back(Property::Type::Int64Array, std::vector<int64_t>{});
                    return true;
                }
                myTokens.Next();
                if (aDepth + 1 >= MAX_RECORD_DEPTH)
                    return Fail("Records nested too deeply");
                if (isArray)
                    return ParseArrayBody(aRecord, count);
                return ParseBody(aRecord, aDepth + 1, false);
            }

            // The values are gathered in myValues first, so that each record's list is allocated once.
            bool ParseValues(Record& aRecord)
            {
                myValues.clear();
                const bool parsed = GatherValues(myValues);
                aRecord.properties.assign(std::make_move_iterator(myValues.begin()), std::make_move_iterator(myValues.end()));
                return parsed;
            }

            bool GatherValues(std::vector<Property>& someValues)
            {
                while (true)
                {
                    const Token& token = myTokens.Peek();
                    // Some exporters write an empty first value ("Content: ,") before embedded data.
                    if (token.kind == TokenKind::Comma)
                    {
                        myTokens.Next();
                        continue;
                    }
                    if (token.kind == TokenKind::String)
                        AddText(someValues, token.text);
                    else if (token.kind == TokenKind::Number)
                    {
                        if (!AddNumber(someValues, token.text))
                            AddText(someValues, token.text);
                    }
                    else if (token.kind == TokenKind::Word)
                    {
                        // Single letters are flags (T/F, Y/N), stored as binary files store them: the letter's code.
                        if (token.text.size() == 1)
                            someValues.emplace_back(Property::Type::Bool, std::in_place_type<int64_t>, token.text[0]);
                        else
                            AddText(someValues, token.text);
                    }
                    else if (token.kind == TokenKind::Bad)
                        return Fail(token.text);
                    else
                        return true;
                    myTokens.Next();
                    if (myTokens.Peek().kind != TokenKind::Comma)
                        return true;
                    myTokens.Next();
                }
            }

            // "{ a: v,v,... }": the values become one array property of the enclosing record. aCount is the
            // count after '*', only a hint for reserving (never more than the text left could hold).
            bool ParseArrayBody(Record& aRecord, std::string_view aCount)
            {
                ArrayValues values;
                size_t expected = 0;
                std::from_chars(aCount.data(), aCount.data() + aCount.size(), expected);
                bool firstRun = true;
                while (true)
                {
                    Token token = myTokens.Next();
                    if (token.kind == TokenKind::Close)
                        break;
                    if (token.kind != TokenKind::Key)
                        return Fail(token.kind == TokenKind::End ? "Unexpected end of file inside an array" : "Malformed array");
                    // The usual "a: v,v,...,v }" is read as one run of plain text; anything unusual in it
                    // is read token by token below.
                    if (firstRun)
                    {
                        firstRun = false;
                        const std::string_view run = myTokens.TextBeforeClose();
                        ArrayValues read;
                        if (!run.empty() && ReadValueRunFast(run, read))
                        {
                            values = std::move(read);
                            myTokens.Skip(run.size());
                            continue;
                        }
                        values.integers.reserve(std::min(expected, myTokens.Remaining() / 2 + 1));
                    }
                    std::string_view text;
                    bool isInteger = false;
                    bool commaFollows = true;
                    while (commaFollows && myTokens.NextNumber(text, isInteger, commaFollows))
                    {
                        int64_t integer = 0;
                        double real = 0.0;
                        switch (ReadArrayNumber(text, isInteger, integer, real))
                        {
                        case ArrayNumber::Integer:
                            values.AddInteger(integer);
                            break;
                        case ArrayNumber::Real:
                            values.AddReal(real);
                            break;
                        case ArrayNumber::Bad:
                            return Fail("Malformed number in array");
                        }
                    }
                }
                if (values.allIntegers)
                    myDocument.NoteArray(aRecord.properties.emplace_back(Property::Type::Int64Array, std::move(values.integers)));
                else
                    myDocument.NoteArray(aRecord.properties.emplace_back(Property::Type::Float64Array, std::move(values.reals)));
                return true;
            }

            // A text value, viewed in the file the document keeps.
            void AddText(std::vector<Property>& someValues, std::string_view aText) const
            {
                someValues.emplace_back(Property::Type::String, std::in_place_type<std::string_view>, aText);
            }

            Tokenizer myTokens;
            Document& myDocument;
            std::string& myError;
            std::vector<Property> myValues;
        };

        // "; FBX 7.5.0 project file" -> 7500, for files without an FBXVersion record.
        uint32_t VersionFromComment(std::string_view aText)
        {
            const size_t marker = aText.substr(0, 256).find("FBX ");
            if (marker == std::string_view::npos)
                return 0;
            uint32_t version = 0;
            int digits = 0;
            for (size_t i = marker + 4; i < aText.size() && digits < 3; ++i)
            {
                const char c = aText[i];
                if (c >= '0' && c <= '9')
                {
                    version = version * 10 + static_cast<uint32_t>(c - '0');
                    ++digits;
                }
                else if (c != '.')
                    break;
            }
            return digits == 3 ? version * 10 : 0;
        }
    }

    bool ParseAsciiDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError)
    {
        const std::string_view text(reinterpret_cast<const char*>(aBytes.data()), aBytes.size());
        // Text files hold no NUL bytes; this rejects other binary formats before tokenising them.
        if (text.substr(0, 4096).find('\0') != std::string_view::npos)
        {
            aError = "Not an FBX file";
            return false;
        }

        AsciiParser parser(text, aOut, aError);
        if (!parser.ParseTopLevel(aOut.root))
        {
            aError = "Not a readable ASCII FBX file: " + aError;
            return false;
        }

        uint32_t version = 0;
        const Record* header = aOut.root.Find("FBXHeaderExtension");
        const Record* versionRecord = header ? header->Find("FBXVersion") : nullptr;
        if (versionRecord && versionRecord->GetProperty(0))
        {
            const int64_t stored = versionRecord->GetProperty(0)->AsInt64();
            version = stored > 0 && stored < 100000 ? static_cast<uint32_t>(stored) : 0;
        }
        else
            version = VersionFromComment(text);

        if (version == 0)
        {
            aError = "Not an FBX file (no FBX version found)";
            return false;
        }
        if (version < MIN_VERSION || version > MAX_VERSION)
        {
            aError = "Unsupported FBX version " + std::to_string(version) + " (only FBX 7.x is read)";
            return false;
        }
        aOut.version = version;
        aOut.isBinary = false;
        aOut.isBigEndian = false;
        return true;
    }
}
