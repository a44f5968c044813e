#include "ui/AC_Prg_COM.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "device/ComPortMap.h"
#include "hub/mVedadAzaro.h"
#include "toolkit/muOperationSystem.h"
#include "ui/DialogFrame.h"
#include "ui/HelpBinding.h"
#include "ui/ProgramLinks.h"

TAC_COM* AC_COM = nullptr;

namespace ComParameterView {

const QStringList& BaudRates() {
    static const QStringList list = {QStringLiteral("Benuterdefiniert"),
                                     QStringLiteral("110"),
                                     QStringLiteral("300"),
                                     QStringLiteral("600"),
                                     QStringLiteral("1200"),
                                     QStringLiteral("2400"),
                                     QStringLiteral("4800"),
                                     QStringLiteral("9600"),
                                     QStringLiteral("14400"),
                                     QStringLiteral("19200"),
                                     QStringLiteral("38400"),
                                     QStringLiteral("56000"),
                                     QStringLiteral("57600"),
                                     QStringLiteral("115200"),
                                     QStringLiteral("128000"),
                                     QStringLiteral("256000")};
    return list;
}

const QStringList& DataBits() {
    static const QStringList list = {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                     QStringLiteral("8")};
    return list;
}

const QStringList& StopBits() {
    static const QStringList list = {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
    return list;
}

const QStringList& Parities() {
    static const QStringList list = {QStringLiteral("Keine"), QStringLiteral("Ungerade"),
                                     QStringLiteral("Gerade"), QStringLiteral("Markierung"),
                                     QStringLiteral("Leerzeichen")};
    return list;
}

const QStringList& FlowControls() {
    static const QStringList list = {QStringLiteral("Hardware"), QStringLiteral("Software"),
                                     QStringLiteral("Keine"), QStringLiteral("Benutzerdefiniert")};
    return list;
}

TComParameters ProgramPortParameters(const TProgramLinks& links) {
    return links.portParameters ? links.portParameters() : TComParameters{};
}

namespace {

void SelectBelow(QComboBox* box, int index, int limit) {
    if (box != nullptr && index >= 0 && index < limit && index < box->count()) box->setCurrentIndex(index);
}

}  // namespace

void Fill(const TComParameterBoxes& boxes, const TComParameters& parameters) {
    if (!parameters.open) return;
    if (boxes.port != nullptr) {
        boxes.port->addItem(QString::fromStdString(parameters.port));
        // The entry's hint names the device behind the COM name.
        const std::string device = TComPortMap::DeviceSummary(TComPortMap::DevicePath(parameters.port));
        if (!device.empty())
            boxes.port->setItemData(boxes.port->count() - 1, QString::fromStdString(device), Qt::ToolTipRole);
        boxes.port->setCurrentIndex(0);
    }
    SelectBelow(boxes.baudRate, parameters.baudRate, kBaudRateLimit);
    SelectBelow(boxes.dataBits, parameters.dataBits, kDataBitsLimit);
    SelectBelow(boxes.stopBits, parameters.stopBits, kStopBitsLimit);
    SelectBelow(boxes.parity, parameters.parity, kParityLimit);
    SelectBelow(boxes.flowControl, parameters.flowControl, kFlowControlLimit);
}

TComParameterBoxes Build(QGroupBox* group, QtForm& form, const QStringList& parities, bool enabled,
                         int verticalSpacing) {
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(verticalSpacing);
    const QFont bold = DialogFrame::BoldPixelFont(group->font(), 0);
    int row = 0;
    auto addRow = [&](const char* labelName, const QString& caption, const char* boxName,
                      const QStringList& entries) {
        auto* label = new QLabel(caption, group);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setFont(bold);
        form.AddControl(label, ControlClass::Label);
        auto* box = new QComboBox(group);
        box->setObjectName(QString::fromLatin1(boxName));
        box->addItems(entries);
        box->setEnabled(enabled);
        form.AddControl(box, ControlClass::ComboBox);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        ++row;
        return box;
    };
    TComParameterBoxes boxes;
    boxes.port = addRow("Label_COM", QStringLiteral("Schnittstelle"), "ComboBox_COM", {});
    boxes.baudRate = addRow("Label_Baudrate", QStringLiteral("Baudrate"), "ComboBox_Baudrate", BaudRates());
    boxes.dataBits = addRow("Label_Databits", QStringLiteral("Datenbits"), "ComboBox_Databits", DataBits());
    boxes.stopBits = addRow("Label_Stopbits", QStringLiteral("Stopbits"), "ComboBox_Stopbits", StopBits());
    boxes.parity = addRow("Label_Parity", QStringLiteral("Parity"), "ComboBox_Parity", parities);
    boxes.flowControl =
        addRow("Label_Flowcontrol", QStringLiteral("Flußkontrolle"), "ComboBox_Flowcontrol", FlowControls());
    grid->setColumnStretch(1, 1);
    return boxes;
}

}  // namespace ComParameterView

TAC_COM::TAC_COM(TmVedadAzaro* hub, QWidget* parent)
    // System menu and the "?" of context help.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      form_(this) {
    AC_COM = this;
    setObjectName(QStringLiteral("AC_COM"));
    SetName("AC_COM");
    setWindowTitle(QStringLiteral("Schnittstelle"));
    setModal(true);
    setFont(DialogFrame::BaseFont());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(8);

    auto* group = new QGroupBox(QStringLiteral(" Schnittstelle "), this);
    group->setObjectName(QStringLiteral("GroupBox_Schnittstelle"));
    form_.AddControl(group, ControlClass::GroupBox);
    boxes_ = ComParameterView::Build(group, form_, ComParameterView::Parities(), true, 5);
    group->layout()->setContentsMargins(10, 8, 10, 8);
    static_cast<QGridLayout*>(group->layout())->setHorizontalSpacing(12);
    column->addWidget(group, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKBtn"));
    okButton_->setDefault(true);
    form_.AddControl(okButton_, ControlClass::Button);
    cancelButton_ = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelBtn"));
    form_.AddControl(cancelButton_, ControlClass::Button);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    column->addLayout(buttons);
    connect(okButton_, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { done(2); });

    setFixedSize(ClientWidth, ClientHeight);

    // The dialog's own topic of the help table.
    if (hub != nullptr) {
        const int context = THelpBinding::TopicContext(*hub->Dataholder(), "hlp_serielleschnittstelle");
        if (context > 0) setProperty("helpContext", context);
    }
}

TAC_COM::~TAC_COM() {
    if (AC_COM == this) AC_COM = nullptr;
}

void TAC_COM::Prepare(TmuOperationSystem* placement, ::Form* beside, const TComParameters& parameters) {
    if (placement != nullptr && beside != nullptr) {
        const TRect at = placement->getDialogPosition(beside, &form_);
        form_.SetPosition(at.x, at.y);
    }
    ComParameterView::Fill(boxes_, parameters);
}

void TAC_COM::Execute(TmuOperationSystem* placement, ::Form* beside, const TComParameters& parameters) {
    Prepare(placement, beside, parameters);
    repaint();
    exec();
}
