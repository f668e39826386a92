#include <gtest/gtest.h>

#include <vector>

#include "builder/SceneOptions.h"

namespace wobble::builder {
namespace {

bool ParseArgs(SceneOptions& options, std::vector<const char*> args, std::string& error) {
    return options.Parse(static_cast<int>(args.size()), args.data(), error);
}

TEST(SceneOptions, TwoPathsTakeTheDefaults) {
    SceneOptions o;
    std::string error;
    ASSERT_TRUE(ParseArgs(o, {"in.obj", "out"}, error)) << error;
    EXPECT_EQ(o.surfacePath, "in.obj");
    EXPECT_EQ(o.outDir, "out");
    EXPECT_EQ(o.size, 40.0);
    EXPECT_EQ(o.maxSprings, 10000);
    EXPECT_FALSE(o.stiffnessGiven);
    EXPECT_FALSE(o.massGiven);
    EXPECT_FALSE(o.progress);
    EXPECT_FALSE(o.help);
}

TEST(SceneOptions, EveryOptionIsTakenInAnyPlace) {
    SceneOptions o;
    std::string error;
    ASSERT_TRUE(ParseArgs(o,
                          {"--size", "25.5", "in.obj", "--max-springs", "4000", "--progress",
                           "out", "--stiffness", "60", "--mass", "1.5"},
                          error))
        << error;
    EXPECT_EQ(o.size, 25.5);
    EXPECT_EQ(o.maxSprings, 4000);
    EXPECT_TRUE(o.stiffnessGiven);
    EXPECT_EQ(o.stiffness, 60.0f);
    EXPECT_TRUE(o.massGiven);
    EXPECT_EQ(o.mass, 1.5f);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.surfacePath, "in.obj");
    EXPECT_EQ(o.outDir, "out");
}

TEST(SceneOptions, BadCommandLinesSayWhatIsWrong) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{}, "no model file given"},
        {{"in.obj"}, "no output folder given"},
        {{"in.obj", "out", "extra"}, "not \"extra\" too"},
        {{"in.obj", "out", "--size"}, "--size needs a value"},
        {{"in.obj", "out", "--size", "0"}, "--size 0 is not a length"},
        {{"in.obj", "out", "--size", "-3"}, "--size -3"},
        {{"in.obj", "out", "--size", "1e9"}, "--size 1e9"},
        {{"in.obj", "out", "--size", "nan"}, "--size nan"},
        {{"in.obj", "out", "--max-springs", "2000001"}, "from 1 to 2000000"},
        {{"in.obj", "out", "--detail", "ultra"}, "--detail ultra is not one of"},
        {{"in.obj", "out", "--max-springs", "12.5"}, "--max-springs 12.5"},
        {{"in.obj", "out", "--stiffness", "abc"}, "--stiffness abc is not a positive number"},
        {{"in.obj", "out", "--mass", "0"}, "--mass 0 is not a positive number"},
        {{"in.obj", "out", "--mass", "1e-50"}, "--mass 1e-50"},
        {{"in.obj", "out", "--stiffness", "1e50"}, "--stiffness 1e50"},
        {{"in.obj", "out", "--colour", "red"}, "unknown option --colour"},
    };
    for (const auto& [args, message] : cases) {
        SceneOptions o;
        std::string error;
        EXPECT_FALSE(ParseArgs(o, args, error)) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST(SceneOptions, DetailNamesABudgetAndTheLastBudgetGivenCounts) {
    const std::pair<std::vector<const char*>, int> cases[] = {
        {{"in.obj", "out", "--max-springs", "2000000"}, 2000000},
        {{"in.obj", "out", "--detail", "coarse"}, 10000},
        {{"in.obj", "out", "--detail", "medium"}, 50000},
        {{"in.obj", "out", "--detail", "fine"}, 250000},
        {{"in.obj", "out", "--detail", "finest"}, 1000000},
        {{"in.obj", "out", "--detail", "fine", "--max-springs", "300"}, 300},
        {{"in.obj", "out", "--max-springs", "300", "--detail", "fine"}, 250000},
    };
    for (const auto& [args, springs] : cases) {
        SceneOptions o;
        std::string error;
        ASSERT_TRUE(ParseArgs(o, args, error)) << error;
        EXPECT_EQ(o.maxSprings, springs) << springs;
    }
}

TEST(SceneOptions, HelpNeedsNothingElse) {
    SceneOptions o;
    std::string error;
    ASSERT_TRUE(ParseArgs(o, {"--help"}, error));
    EXPECT_TRUE(o.help);
    EXPECT_NE(std::string(SceneOptions::Usage()).find("--max-springs"), std::string::npos);
}

}  // namespace
}  // namespace wobble::builder
