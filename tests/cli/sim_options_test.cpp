#include "sim_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Parse(std::vector<const char*> args, sim_options& options, std::string& error) {
    args.insert(args.begin(), "qor-sim");
    return ParseSimOptions(int(args.size()), const_cast<char**>(args.data()), options, error);
}

TEST(SimOptions, ReadsEveryOptionAndRefusesBadOnes) {
    sim_options o;
    std::string error;
    ASSERT_TRUE(Parse({"--size", "512", "--seed", "2147483647", "--steps", "0", "--threads", "2",
                       "--algorithm", "1", "--config", "c.xml", "--save", "s.qor", "--heights-bmp",
                       "h.bmp", "--depth-bmp", "d.bmp"},
                      o, error))
        << error;
    EXPECT_EQ(o.size, 512);
    EXPECT_EQ(o.seed, 2147483647LL);
    EXPECT_EQ(o.steps, 0);
    EXPECT_EQ(o.threads, 2);
    EXPECT_EQ(o.algorithm, 1);
    EXPECT_EQ(o.config, "c.xml");
    EXPECT_EQ(o.save, "s.qor");
    EXPECT_EQ(o.heights_image, "h.bmp");
    EXPECT_EQ(o.depth_image, "d.bmp");

    const std::vector<std::vector<const char*>> bad = {
        {"--size", "5"},  {"--size", "2000"}, {"--size", "12x"},
        {"--steps"},      {"--threads", "0"}, {"--algorithm", "3"},
        {"--seed", "-1"}, {"--save", ""},     {"--frobnicate"}};
    for (const auto& args : bad) {
        sim_options fresh;
        error.clear();
        EXPECT_FALSE(Parse(args, fresh, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    sim_options help;
    EXPECT_TRUE(Parse({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

}  // namespace
