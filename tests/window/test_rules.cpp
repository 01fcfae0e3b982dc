// The window's rules without a window: month tables, grid, the source file's first
// line, species path, run checks, control-file text, version and twips.
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

#include "Twips.h"
#include "WeatherRules.h"

TEST(WindowRules, MonthTablesAndGridOfThe365DayYear) {
    const int starts[kMonths][kWeekdays] = {
        {1, 2, 3, 4, 5, 6, 7}, {4, 5, 6, 7, 1, 2, 3}, {4, 5, 6, 7, 1, 2, 3}, {7, 1, 2, 3, 4, 5, 6},
        {2, 3, 4, 5, 6, 7, 1}, {5, 6, 7, 1, 2, 3, 4}, {7, 1, 2, 3, 4, 5, 6}, {3, 4, 5, 6, 7, 1, 2},
        {6, 7, 1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 6, 7}, {4, 5, 6, 7, 1, 2, 3}, {6, 7, 1, 2, 3, 4, 5}};
    MonthTables t{};
    init_month_days(t);
    init_month_starts(t);
    for (int m = 0; m < kMonths; ++m)
        for (int w = 0; w < kWeekdays; ++w) {
            ASSERT_EQ(t.MonthStartTable[m][w], starts[m][w]) << "month " << m + 1 << " first " << w;
            // The days run on from the first weekday's cell, with empty cells around.
            const DayCaptions c = calendar_captions(t, m + 1, w);
            for (int k = 0; k < kDayButtons; ++k) {
                const int day = k - starts[m][w] + 2;
                ASSERT_EQ(c[k], day >= 1 && day <= t.MonthDays[m] ? std::to_string(day) : "")
                    << m + 1 << " " << w << " " << k;
            }
        }
    EXPECT_EQ(t.MonthDays[1], 28);
    EXPECT_EQ(calendar_captions(t, 13, 0), DayCaptions{});
}

TEST(WindowRules, FirstLineEndsAtTheFirstLineEnd) {
    QTemporaryDir dir;
    const struct {
        std::string bytes;
        HeaderRead result;
        std::string line;
    } rows[] = {
        {"Boulder CO\r\n12345\r\n", HeaderRead::Ok, "Boulder CO"},
        {"mac\rline\r", HeaderRead::Ok, "mac"},
        {"unix\nlines\n", HeaderRead::Ok, "unix"},
        {"\r\nsecond", HeaderRead::Ok, ""},                   // an empty first line is a line
        {"", HeaderRead::Failed, ""},                         // an empty file has none
        {std::string(kDescriptionLimit, 'x'), HeaderRead::Ok, std::string(kDescriptionLimit, 'x')},
        {std::string(kDescriptionLimit + 1, 'x') + "\r", HeaderRead::Failed, ""},
    };
    for (const auto &row : rows) {
        const std::string path = dir.filePath("f").toStdString();
        FILE *f = std::fopen(path.c_str(), "wb");
        std::fwrite(row.bytes.data(), 1, row.bytes.size(), f);
        std::fclose(f);
        std::string line = "old";
        EXPECT_EQ(read_first_line(path, line), row.result) << row.bytes.size();
        EXPECT_EQ(line, row.line);
    }
    std::string line;
    EXPECT_EQ(read_first_line(dir.filePath("missing").toStdString(), line), HeaderRead::CannotOpen);
}

TEST(WindowRules, V20HeaderAndSpeciesPath) {
    EXPECT_TRUE(is_v20_header("  WeatherFile Ventora 2.0   "));
    EXPECT_FALSE(is_v20_header("weatherfile ventora 2.0"));  // case matters
    EXPECT_FALSE(is_v20_header("\tWeatherFile Ventora 2.0"));
    EXPECT_FALSE(is_v20_header(" "));
    EXPECT_EQ(species_path("/data/out.wth"), "/data/out.ctm");
    EXPECT_EQ(species_path("/data/weather"), "/data/wea.ctm");  // no extension: cut anyway
    EXPECT_EQ(species_path("/data/été.w"), "/data/é.ctm");      // characters, not bytes
    EXPECT_EQ(species_path("ab"), ".ctm");
    EXPECT_EQ(with_weather_extension("/d/tmpl"), "/d/tmpl.wth");
    EXPECT_EQ(with_weather_extension("/d.x/tmpl"), "/d.x/tmpl.wth");  // the folder's dot
    EXPECT_EQ(with_weather_extension("/d/out.txt"), "/d/out.txt");
    EXPECT_EQ(with_weather_extension("/d/.hidden"), "/d/.hidden.wth");
}

namespace {

RunInputs tmy2_run() {
    RunInputs in;
    in.type = ConversionType::Tmy2;
    in.source_box = in.tmy2_path = "/d/in.tm2";
    in.destination_box = in.weather_path = "/d/out.wth";
    in.description = "Boulder";
    in.start_date = "01/01";
    in.end_date = "12/31";
    in.dsl_start = in.dsl_end = "01/01";
    return in;
}

}  // namespace

TEST(WindowRules, RunChecksComeInTheOrderOfEachType) {
    using T = ConversionType;
    static QTemporaryDir dir;
    static const std::string existing = dir.filePath("in.tm2").toStdString();
    static const std::string link = dir.filePath("link.wth").toStdString();
    std::fclose(std::fopen(existing.c_str(), "w"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(existing), QString::fromStdString(link)));
    const struct {
        const char *what;
        void (*change)(RunInputs &);
        const char *message;
    } rows[] = {
        {"complete", [](RunInputs &) {}, nullptr},
        {"dsl half typed", [](RunInputs &in) { in.dsl_end = "03/2_"; }, kMsgDatesIncomplete},
        {"same day", [](RunInputs &in) { in.start_date = in.end_date = "03/15"; }, nullptr},
        {"over year end", [](RunInputs &in) { in.start_date = "12/01"; in.end_date = "01/31"; }, nullptr},
        {"all but a day", [](RunInputs &in) { in.start_date = "03/16"; in.end_date = "03/15"; }, nullptr},
        {"dsl unordered", [](RunInputs &in) { in.dsl_start = "10/30"; in.dsl_end = "03/26"; }, nullptr},
        {"month 13", [](RunInputs &in) { in.start_date = "13/45"; in.end_date = "14/01"; },
         "Start Date: 13/45 is not a valid date"},
        {"no 31 February", [](RunInputs &in) { in.end_date = "02/31"; }, "End Date: 02/31 is not a valid date"},
        {"month 0", [](RunInputs &in) { in.dsl_start = "00/10"; }, "Daylight Savings Start Date: 00/10 is not a valid date"},
        {"day 0", [](RunInputs &in) { in.dsl_end = "04/00"; }, "Daylight Savings End Date: 04/00 is not a valid date"},
        {"last days", [](RunInputs &in) { in.start_date = "02/28"; in.end_date = "12/31"; }, nullptr},
        {"checked before the source", [](RunInputs &in) { in.source_box = ""; in.end_date = "02/29"; },
         "End Date: 02/29 is not a valid date"},
        {"same file", [](RunInputs &in) { in.tmy2_path = in.destination_box = existing; }, kMsgDestinationIsSource},
        {"same through a link", [](RunInputs &in) { in.tmy2_path = existing; in.destination_box = link; },
         kMsgDestinationIsSource},
        {"not there yet", [](RunInputs &in) { in.tmy2_path = existing; in.destination_box = existing + "x"; }, nullptr},
        {"one name, neither there", [](RunInputs &in) { in.tmy2_path = in.destination_box = existing + "x"; },
         kMsgDestinationIsSource},
        {"upgrade species file", [](RunInputs &in) {
             in.type = T::V1Upgrade; in.v1_path = existing; in.contaminant_path = link; }, kMsgDestinationIsSource},
        {"upgrade species file is the weather file", [](RunInputs &in) {
             in.type = T::V1Upgrade; in.v1_path = existing; in.weather_path = existing + "x";
             in.contaminant_path = existing + "x"; }, kMsgContaminantIsWeather},
        {"template writes its own", [](RunInputs &in) {
             in.type = T::Template; in.tmy2_path = in.destination_box = existing; }, nullptr},
        {"dates first", [](RunInputs &in) { in.source_box = ""; in.end_date = "1_/__"; }, kMsgDatesIncomplete},
        {"blank source", [](RunInputs &in) { in.source_box = "  "; }, kMsgNoSource},
        {"no destination", [](RunInputs &in) { in.destination_box = ""; }, kMsgNoDestination},
        {"template", [](RunInputs &in) { in.type = T::Template; in.source_box = ""; }, nullptr},
        {"upgrade", [](RunInputs &in) { in.type = T::V1Upgrade; in.start_date = "__/__"; }, nullptr},
        {"upgrade source first",
         [](RunInputs &in) { in.type = T::V1Upgrade; in.source_box = in.destination_box = ""; }, kMsgNoSource},
    };
    for (const auto &row : rows) {
        RunInputs in = tmy2_run();
        row.change(in);
        EXPECT_EQ(check_run_inputs(in).message, row.message ? row.message : "") << row.what;
    }
}

TEST(WindowRules, ControlFileTextHasOneValueALineEndedByCrLf) {
    RunInputs in = tmy2_run();
    in.first_day_index = 6;
    in.special_days = {{"7/4", "9"}, {"12/25", "8"}};
    in.dsl_start = "04/07";
    in.dsl_end = "10/27";
    EXPECT_EQ(control_file_text(in), "Boulder\r\n/d/in.tm2\r\nTMY2\r\n/d/out.wth\r\n01/01 12/31\r\n"
                                     " 7 \r\n 2 \r\n7/4 9\r\n12/25 8\r\n04/07 10/27\r\n");
    in = tmy2_run();
    in.type = ConversionType::Epw;
    in.epw_path = "/d/in.epw";
    const std::string ee = "Boulder\r\n/d/in.epw\r\nE/E\r\n/d/out.wth\r\n";
    EXPECT_EQ(control_file_text(in).substr(0, ee.size()), ee);
    in = tmy2_run();
    in.type = ConversionType::Template;
    in.description = "";
    EXPECT_EQ(control_file_text(in), "\r\n/d/out.wth\r\nTEMPLATE\r\n/d/out.wth\r\n01/01 12/31\r\n"
                                     " 1 \r\n 0 \r\n01/01 01/01\r\n");
    in.type = ConversionType::V1Upgrade;
    in.v1_path = "/d/old.wth";
    in.contaminant_path = "/d/out.ctm";
    EXPECT_EQ(control_file_text(in), "/d/old.wth\r\n/d/out.wth\r\n/d/out.ctm\r\n\r\n");
}

// Each format of common/SourceFormat.h is chosen by one conversion type of its own.
TEST(WindowRules, EachSourceFormatHasOneWindowRow) {
    for (const SourceFormat &f : kSourceFormats) {
        int rows = 0;
        for (const WindowFormat &w : kWindowFormats)
            rows += w.type == f.type && w.option != ConversionType::V1Upgrade &&
                    window_format(w.option) == &w;
        EXPECT_EQ(rows, 1) << f.word;
    }
}

TEST(WindowRules, AFailureNamesTheFirstErrorOrFatalOfTheLog) {
    // tolvex echoes its control file into the log, so a head may follow echoed text.
    const std::string echoed = "Initial \r\n13/45 ERROR  (file Utils, line 407)\r\n 13/45 is not a valid date\r\n"
                               "FATAL  (file Tolvex, line 80)\r\n Run terminated because of input errors\r\n";
    const struct {
        std::string log, message;
    } rows[] = {
        {echoed, "Conversion failed: 13/45 is not a valid date - see log file"},
        {"WARNING  (file Wfiles, line 9)\n note this\nFATAL  (file Config, line 3)\n Failed to open /x\n",
         "Conversion failed: Failed to open /x - see log file"},
        {"NOTE  (file Wfiles, line 9)\n fine\n", "Conversion failed - see log file"},
        {"ERROR in the description\n text\n", "Conversion failed - see log file"},  // no location
        {"FATAL  (file Config, line 3)", "Conversion failed - see log file"},          // cut short
        {"", "Conversion failed - see log file"},
    };
    for (const auto &row : rows) EXPECT_EQ(failure_message(row.log), row.message) << row.log;
    EXPECT_TRUE(is_problem_head("FATAL  (file Tolvex, line 80)\r"));
    EXPECT_FALSE(is_problem_head("FATAL  (file Tolvex, line 8x)"));
}

TEST(WindowRules, VersionAndTwips) {
    EXPECT_EQ(window_caption(2, 10, 3), "Weather v2.10.3");
    EXPECT_EQ(twips_to_pixels(7935, 96), 529);
    EXPECT_EQ(twips_rect(540, 1500, 375, 375, 96, 96), QRect(36, 100, 25, 25));
    // Edges are converted, so grid neighbours overlap by 15 twips at any DPI.
    for (int dpi : {96, 120, 144, 192}) {
        const QRect a = twips_rect(540, 1500, 375, 375, dpi, dpi);
        EXPECT_EQ(a.right() + 1 - twips_rect(900, 1500, 375, 375, dpi, dpi).left(),
                  twips_to_pixels(15, dpi)) << dpi;
    }
}
