// Every test executable that links the application's areas runs without help alerts: a help
// showing up in the middle of another window's test would wait for an answer nobody gives. The
// help tests turn them on for themselves.
#include "controls/LiveHelpDialog.h"

#include <gtest/gtest.h>

namespace {

class QuietHelps : public ::testing::Environment
{
public:
    void SetUp() override { LiveHelpDialog::setQuietInThisProcess(true); }
};

const auto *const gQuietHelps = ::testing::AddGlobalTestEnvironment(new QuietHelps);

} // namespace
