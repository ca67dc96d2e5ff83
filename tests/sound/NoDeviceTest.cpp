// A machine without a sound device: OpenAL Soft offered only the wave backend with no file,
// so no device opens. Runs in its own executable because OpenAL reads its configuration once
// per process.

#include "TarnSounds.h"
#include "clientfiles/SampleClientFiles.h"
#include "core/Raised.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(NoSoundDevice, InitRaisesAndTheOutputStaysUninitialised) {
    test::TempDir dir;
    std::string conf = "[general]\ndrivers = wave\n";
    ::unsetenv("ALSOFT_DRIVERS");  // a driver list in the environment would win over the file's
    ::setenv("ALSOFT_CONF", dir.Write("alsoft.conf", {conf.begin(), conf.end()}).c_str(), 1);
    ASSERT_TRUE(test::UsePatchTable());

    CTarnSounds output;
    // Priority -1 when nothing was raised, that is when a device opened.
    const test::Raised raised =
        test::RaisedBy([&] { output.Init(nullptr, CMapPoint(0, 0, 0, 0)); });
    EXPECT_EQ(raised.nPriority, 3);
    EXPECT_EQ(raised.sDescription, "CTarnSounds.DirectSoundCreate FAIL");
    EXPECT_NE(raised.nCode, 0);
    EXPECT_FALSE(output.IsInit());
    EXPECT_EQ(output.GetDeviceName(), "");
    // It plays nothing and does not follow the listener.
    output.PlaySound(1, CMapPoint(0, 0, 0, 0), 0, true);
    output.SetListener(CMapPoint(5, 5, 0, 0));
    EXPECT_EQ(output.m_Playing.GetCount(), 0);
    EXPECT_EQ(output.m_ptListener, CMapPoint());
}

}  // namespace
}  // namespace tessaly
