#pragma once
// The serial interface dialog `TAC_COM` ("Schnittstelle"): the parameters of
// the open serial port in six combo boxes. It applies nothing: whatever is
// chosen, closing it leaves the port and the stored settings as they were.
// A dialog of its own, created once at start and kept for the whole run.
//
// The filling of the six boxes is shared with the read-only view on the
// settings dialog's page " Serielle-Schnittstelle ": the port's name is
// appended and selected (entry 0 stays the one shown), every other box gets
// the entry of the port's parameter when the index lies inside the limits
// (baud rate up to "115200", so 128000 and 256000 select nothing new).
#include <QDialog>
#include <QStringList>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class TmuOperationSystem;
class TmVedadAzaro;
struct TProgramLinks;

// The parameters of the serial port as the positions of its parameter sets.
struct TComParameters {
    bool open = false;    // the port is open; nothing else counts otherwise
    std::string port;     // "COM3"
    int baudRate = 0;     // 0 custom, 1 110, ... 13 115200, 14 128000, 15 256000
    int dataBits = 0;     // 0 five ... 3 eight
    int stopBits = 0;     // 0 one, 1 one and a half, 2 two
    int parity = 0;       // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int flowControl = 0;  // 0 hardware, 1 software, 2 none, 3 custom
};

// The six boxes of one view.
struct TComParameterBoxes {
    QComboBox* port = nullptr;
    QComboBox* baudRate = nullptr;
    QComboBox* dataBits = nullptr;
    QComboBox* stopBits = nullptr;
    QComboBox* parity = nullptr;
    QComboBox* flowControl = nullptr;
};

namespace ComParameterView {

// Selection limits: a parameter index at or above its limit selects nothing.
constexpr int kBaudRateLimit = 14;
constexpr int kDataBitsLimit = 4;
constexpr int kStopBitsLimit = 3;
constexpr int kParityLimit = 5;
constexpr int kFlowControlLimit = 4;

const QStringList& BaudRates();
const QStringList& DataBits();
const QStringList& StopBits();
const QStringList& FlowControls();
// "Keine", "Ungerade", ... in this dialog; the settings page reads "Ungarde".
const QStringList& Parities();

// The parameters of the main window's serial port (closed without one).
TComParameters ProgramPortParameters(const TProgramLinks& links);
// With the port open: the name appended and entry 0 selected, each other box
// set when its index is below its limit. A closed port changes nothing.
void Fill(const TComParameterBoxes& boxes, const TComParameters& parameters);
// Lays out the six labelled boxes in a grid in `group`, registered in `form`
// in creation order; `parities` is the view's parity list.
TComParameterBoxes Build(QGroupBox* group, QtForm& form, const QStringList& parities, bool enabled,
                         int verticalSpacing);

}  // namespace ComParameterView

class TAC_COM : public QDialog, public TComponent {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 274;
    static constexpr int ClientHeight = 236;

    // `hub` (may be null) gives the dialog its topic of the help table.
    explicit TAC_COM(TmVedadAzaro* hub = nullptr, QWidget* parent = nullptr);
    ~TAC_COM() override;

    // The controls of the dialog as the binding services see them.
    QtForm& Form() { return form_; }
    const TComParameterBoxes& Boxes() const { return boxes_; }
    QComboBox* ComboBox_COM() const { return boxes_.port; }
    QComboBox* ComboBox_Baudrate() const { return boxes_.baudRate; }
    QComboBox* ComboBox_Databits() const { return boxes_.dataBits; }
    QComboBox* ComboBox_Stopbits() const { return boxes_.stopBits; }
    QComboBox* ComboBox_Parity() const { return boxes_.parity; }
    QComboBox* ComboBox_Flowcontrol() const { return boxes_.flowControl; }
    QPushButton* OKBtn() const { return okButton_; }
    QPushButton* CancelBtn() const { return cancelButton_; }

    // The opening without the modal loop: placed beside `beside` (when both
    // it and the placement service are given) and filled from the port.
    void Prepare(TmuOperationSystem* placement, ::Form* beside, const TComParameters& parameters);
    // Prepare, then repaint and show modally; the result is not used.
    void Execute(TmuOperationSystem* placement, ::Form* beside, const TComParameters& parameters);

private:
    QtForm form_;
    TComParameterBoxes boxes_;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// The one instance, from its creation to its destruction.
extern TAC_COM* AC_COM;
