#include "ui/ProgramHomeTest.h"

#include "ui/UiTestSupport.h"

#include <cstdlib>

void ProgramHomeTest::SetUp()
{
    if (!std::getenv("DISPLAY"))
    {
        if (IsCiRun())
            GTEST_FAIL() << "no display: the window tests need one (xvfb-run)";
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    }
    if (const char* inherited = std::getenv(m_homeVariable))
        m_home = inherited;
    else
    {
        m_tempDir.emplace();
        m_home = m_tempDir->Path();
        m_homeEnv.emplace(m_homeVariable, m_home.string());
    }
    m_dataHome.emplace("XDG_DATA_HOME", m_home.string());
}
