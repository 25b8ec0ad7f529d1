#include "catalogue/recording_name.h"

#include "platform/app_error.h"

#include <gtest/gtest.h>

#include <string>

namespace voice {
namespace {

struct NameCase {
    const wchar_t* name;
    DateTimeParts expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    for (const wchar_t* p = c.name; *p; ++p)
        *os << (*p < 0x80 ? static_cast<char>(*p) : '?');
}

class DayDirNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DayDirNameTest, DecodesDateAtMidnight) {
    EXPECT_EQ(DecodeDayDirParts(GetParam().name), GetParam().expected);
    const DateTimeParts& e = GetParam().expected;
    EXPECT_EQ(DecodeDayDirName(GetParam().name), EncodeDate(e.year, e.month, e.day));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamplesAndFallbacks, DayDirNameTest,
    testing::Values(NameCase{L"A3F", {2010, 3, 15}}, NameCase{L"0C1", {2000, 12, 1}},
                    NameCase{L"J1I", {2018, 1, 19}}, NameCase{L"I1J", {2019, 1, 18}},
                    NameCase{L"K2T", {2020, 2, 29}}, NameCase{L"$CV", {2037, 12, 31}},
                    NameCase{L"Z_0", {2035, 1, 1}}, NameCase{L"a3f", {2010, 3, 15}},
                    NameCase{L"12", {1900, 1, 1}}, NameCase{L"-3F", {1999, 3, 15}},
                    NameCase{L"A3FXYZ", {2010, 3, 15}}, NameCase{L"D:\\REC3\\A3F", {2010, 3, 15}},
                    NameCase{L"D:\\REC1", {2027, 1, 12}}, NameCase{L"c:\\", {1900, 1, 1}},
                    NameCase{L"D:A3F", {2010, 3, 15}}, NameCase{L"\u0416\u04163", {1999, 1, 3}},
                    NameCase{L"", {1900, 1, 1}}));

class RecordingNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(RecordingNameTest, DecodesStart) {
    EXPECT_EQ(DecodeRecordingParts(GetParam().name), GetParam().expected);
    EXPECT_EQ(DecodeRecordingName(GetParam().name), EncodeDateTime(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamplesAndFallbacks, RecordingNameTest,
    testing::Values(NameCase{L"A3F93015.1", {2010, 3, 15, 9, 30, 15}},
                    NameCase{L"a3f93015.1", {2010, 3, 15, 9, 30, 15}},
                    NameCase{L"A3FN0000.2", {2010, 3, 15, 23, 0, 0}},
                    NameCase{L"A3FO0000.2", {2010, 3, 15, 0, 0, 0}},
                    NameCase{L"A3F93075.1", {2010, 3, 15, 9, 30, 0}},
                    NameCase{L"AOF93015.1", {2010, 1, 15, 9, 30, 15}},
                    NameCase{L"A3F9301.1", {1900, 1, 1}}, NameCase{L"A3F93015", {1900, 1, 1}},
                    NameCase{L"A3F930150.1", {1900, 1, 1}},
                    NameCase{L"A3F93015.1.BAK", {2010, 3, 15, 9, 30, 15}},
                    NameCase{L"D:\\REC3\\A3F\\A3F93015.3", {2010, 3, 15, 9, 30, 15}},
                    NameCase{L"\u0416\u0416\u0416\u04163015.1", {1999, 1, 1, 0, 30, 15}},
                    NameCase{L"A3F9 7 5.1", {2010, 3, 15, 9, 7, 5}},
                    NameCase{L"A3F9$AX9.1", {2010, 3, 15, 9, 10, 9}},
                    NameCase{L"A3F9-560.1", {2010, 3, 15, 9, 0, 0}},
                    NameCase{L"A3F90x7A.1", {2010, 3, 15, 9, 0, 7}},
                    NameCase{L"A3F9+5$f.1", {2010, 3, 15, 9, 5, 15}},
                    // 1 to 59 are kept in both places; 60 and above give 0.
                    NameCase{L"A3F96059.1", {2010, 3, 15, 9, 0, 59}},
                    NameCase{L"A3F95960.1", {2010, 3, 15, 9, 59, 0}},
                    NameCase{L"A3F99901.1", {2010, 3, 15, 9, 0, 1}},
                    NameCase{L"A3F9$F$F.1", {2010, 3, 15, 9, 15, 15}},
                    NameCase{L"A3F90160.1", {2010, 3, 15, 9, 1, 0}}));

TEST(NameAlphabetTest, FirstCharacterGivesYearsInAlphabetOrderWithJBeforeI) {
    const std::wstring alphabet = L"0123456789ABCDEFGHJIKLMNOPQRSTUVWXYZ_$";
    for (std::size_t k = 0; k < alphabet.size(); ++k) {
        const std::wstring name = std::wstring(1, alphabet[k]) + L"11";
        EXPECT_EQ(DecodeDayDirParts(name).year, 2000 + static_cast<int>(k)) << k;
    }
}

TEST(NameDateErrorTest, ImpossibleCalendarDatesRaiseDateEncodeError) {
    for (const wchar_t* dir : {L"J2T", L"A4V", L"A2U", L"J2U"})
        EXPECT_THROW(DecodeDayDirName(dir), DateEncodeError) << static_cast<char>(dir[2]);
    EXPECT_THROW(DecodeRecordingName(L"J2T93015.1"), DateEncodeError);
    // The fallback shapes never reach the calendar check.
    EXPECT_NO_THROW(DecodeRecordingName(L"J2T9301.1"));
    try {
        DecodeDayDirName(L"J2T");
    } catch (const DateEncodeError& e) {
        EXPECT_EQ(e.Text(), L"Invalid argument to date encode");
    }
}

} // namespace
} // namespace voice
