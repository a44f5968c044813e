#pragma once
// The program's own help: the help document and the window that shows it.
//
// The help file (by default "$APPDIR\System\Hilfe\tavrin_$LNG.chm") is a
// UTF-8 text file of topics, one per help context number, each with an HTML
// body (the format is described in docs/help-format.md). Further context
// numbers can be mapped onto a topic ("@alias"). The viewer is a window of the
// program with the list of topics on the left and the shown topic on the
// right; links of the form "hilfe:<context>" lead from topic to topic.
#include <QWidget>
#include <map>
#include <string>
#include <vector>

class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

struct THelpPage {
    int context = 0;
    std::string name;   // "hlp_einstellungen"
    std::string title;  // "Einstellungen"
    std::string html;   // the body, an HTML fragment
};

class THelpDocument {
public:
    // The first line of every help file.
    static constexpr const char* kMagic = "TAVRIN-HILFE 1";

    // Reads a help document from its text. False (the document stays empty)
    // when the text is no help document; error then names the first fault
    // with its line number.
    bool Parse(const std::string& text, std::string* error = nullptr);
    // Reads the file (program notation, see fs_boundary::NativePath).
    bool LoadFile(const std::string& fileName, std::string* error = nullptr);

    bool Empty() const { return topics_.empty(); }
    const std::string& Title() const { return title_; }
    // The topics in the order of the file.
    const std::vector<THelpPage>& Topics() const { return topics_; }
    // The topic of a context number, directly or through an alias; null when
    // the document has none.
    const THelpPage* TopicOf(int context) const;
    // The topic shown first ("@start", else the first topic); null when empty.
    const THelpPage* StartTopic() const;

private:
    std::string title_;
    std::vector<THelpPage> topics_;
    std::map<int, std::size_t> byContext_;  // topics and aliases
    int start_ = 0;
};

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kLinkScheme = "hilfe";

    explicit THelpViewer(QWidget* parent = nullptr);
    ~THelpViewer() override;

    // Reads the help file. False when it cannot be read as a help file; the
    // viewer then shows why when it is opened.
    bool Open(const std::string& fileName);
    bool IsOpen() const { return !document_.Empty(); }
    const std::string& FileName() const { return fileName_; }
    const std::string& LastError() const { return error_; }
    const THelpDocument& Document() const { return document_; }

    // Shows the topic of the context and brings the window forward. A context
    // without a topic shows the start topic with a note. True when the
    // document has a topic for the context.
    bool ShowContext(int context);
    // The context last asked for, and the context of the topic shown (0
    // while none is shown).
    int RequestedContext() const { return requested_; }
    int CurrentContext() const { return current_; }

    QTextBrowser* Browser() const { return browser_; }
    QListWidget* Contents() const { return contents_; }

private:
    // Fills the browser with the topic (or with the note of a missing one)
    // without touching the history.
    void Display(const THelpPage* topic, int requested);
    void Navigate(int context);
    void GoBack();
    void GoForward();
    void LinkClicked(const QUrl& url);
    void FillContents();
    void UpdateButtons();
    // A modal dialog is open: the viewer must be modal itself to take input.
    void MatchModality();

    THelpDocument document_;
    std::string fileName_;
    std::string error_;
    int requested_ = 0;
    int current_ = 0;
    std::vector<int> back_;
    std::vector<int> forward_;
    QListWidget* contents_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QToolButton* backButton_ = nullptr;
    QToolButton* forwardButton_ = nullptr;
    QToolButton* homeButton_ = nullptr;
};
