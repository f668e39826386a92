#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "builder/ProgressBar.h"

namespace wobble::builder {
namespace {

std::string Drawn(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

TEST(ProgressBar, RedrawsOnlyWhenThePercentageChangesAndClearsItsLine) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ProgressBar bar(file);
        bar.Show("check", 1500, 3000, "steps");
        bar.Show("check", 1501, 3000, "steps");  // still 50 %
        bar.Show("check", 3000, 3000, "steps");
    }  // gone: the bar clears itself
    EXPECT_EQ(Drawn(file),
              "\r  check      [###############...............]  50 % of 3000 steps"
              "\r  check      [##############################] 100 % of 3000 steps"
              "\r\033[K");
    std::fclose(file);
}

}  // namespace
}  // namespace wobble::builder
