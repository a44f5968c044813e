// The device behind "COMn" as the hint of the status line and of the serial
// interface dialog's port entry; their texts stay as they are.
#include <unistd.h>

#include <QComboBox>
#include <filesystem>
#include <fstream>

#include "SocketFixture.h"
#include "device/PtyFixture.h"
#include "ui/AC_Prg_COM.h"

class PortDeviceHintTest : public SocketFixture {
protected:
    void SetUp() override {
        SocketFixture::SetUp();
        std::ofstream(device).put('\0');  // stands for the tty
        ASSERT_EQ(::symlink(device.c_str(), comDir.Link(kComNo).c_str()), 0);
    }
    // "<folder>/com3 → <folder>/ttyUSB7"
    std::string Expected() const {
        return comDir.Link(kComNo) + " \u2192 " + std::filesystem::canonical(device).string();
    }

    ComDir comDir;
    std::string device = comDir.Path() + "/ttyUSB7";
};

TEST_F(PortDeviceHintTest, TheStatusLineNamesTheDeviceWhileThePortIsOpen) {
    QComboBox* status = view->ComboBox_AC_Steckdosen();
    session->ShowStatus("COM3 > NELTA-V1.4-BOX8-USB-NELTA8");
    EXPECT_EQ(status->currentText().toStdString(), "COM3 > NELTA-V1.4-BOX8-USB-NELTA8");
    EXPECT_EQ(status->toolTip().toStdString(), Expected());

    // A closed port has no device to name.
    port.SetConnected(false);
    session->ShowStatus("Status: Timeout");
    EXPECT_EQ(status->toolTip().toStdString(), "");
}

TEST_F(PortDeviceHintTest, TheComDialogsPortEntryNamesItsDevice) {
    TAC_COM dialog;
    TComParameters parameters;
    parameters.open = true;
    parameters.port = "COM3";
    dialog.Prepare(nullptr, nullptr, parameters);
    QComboBox* ports = dialog.ComboBox_COM();
    ASSERT_EQ(ports->count(), 1);
    EXPECT_EQ(ports->itemText(0).toStdString(), "COM3");
    EXPECT_EQ(ports->itemData(0, Qt::ToolTipRole).toString().toStdString(), Expected());

    // A name without a device behind it gets no hint.
    parameters.port = "COM9";
    dialog.Prepare(nullptr, nullptr, parameters);
    ASSERT_EQ(ports->count(), 2);
    EXPECT_FALSE(ports->itemData(1, Qt::ToolTipRole).isValid());
}
