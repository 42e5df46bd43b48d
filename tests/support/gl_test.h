#pragma once
// The base of the GL tests: skipped where no GL context can be made, started without a
// pending GL error and expected to leave none behind.

#include <gtest/gtest.h>

#include <filesystem>

#include "kr/base/error.h"
#include "support/gl_test_context.h"
#include "support/test_files.h"

namespace QorTest {

class GLTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!UseGLContext()) GTEST_SKIP() << "no display with OpenGL";
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override {
        if (!IsSkipped()) {
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
    }
};

// Works in a scratch folder named after the running test while it lives: the shader
// generators and loaders use the working folder.
class ScratchWorkingFolder {
  public:
    ScratchWorkingFolder() : home(std::filesystem::current_path()) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::filesystem::create_directories(QorTest::ScratchDir() / test->name());
        std::filesystem::current_path(QorTest::ScratchDir() / test->name());
    }
    ~ScratchWorkingFolder() { std::filesystem::current_path(home); }

  private:
    std::filesystem::path home;
};

// The message of the KR::Error that f throws, empty when it throws none.
template <class F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const KR::Error& e) {
        return e.Message();
    }
    return "";
}

}  // namespace QorTest
