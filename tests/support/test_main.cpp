// A skipped test fails unless README.md lists it under "Allowed skips" as "- `Suite.Test`: reason".
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

namespace {

struct SkipIsFailure : testing::EmptyTestEventListener {
    std::set<std::string> allowed;
    SkipIsFailure()
    {
        std::ifstream readme(NIMBREL_README);
        bool listing = false;
        for (std::string line; std::getline(readme, line);)
            if (line.rfind("#", 0) == 0)
                listing = line.find("Allowed skips") != std::string::npos;
            else if (listing && line.rfind("- `", 0) == 0)
                allowed.insert(line.substr(3, line.find('`', 3) - 3));
    }
    void OnTestPartResult(const testing::TestPartResult& result) override
    {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        if (result.skipped() && test && !allowed.count(std::string(test->test_suite_name()) + "." + test->name()))
            ADD_FAILURE() << "a skip is a failure here: it is not listed under \"Allowed skips\" in README.md";
    }
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new SkipIsFailure);
    return RUN_ALL_TESTS();
}
