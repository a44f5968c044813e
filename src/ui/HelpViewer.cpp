#include "ui/HelpViewer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cctype>
#include <charconv>
#include <sstream>

#include "toolkit/FileSystem.h"
#include "ui/ImageList.h"

namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// The next blank-separated word of text from pos on; pos moves behind it.
std::string NextWord(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    const std::size_t begin = pos;
    while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    return text.substr(begin, pos - begin);
}

// A context number: decimal, 1 or more.
bool ParseContext(const std::string& word, int& value) {
    if (word.empty()) return false;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && value > 0;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A directive: "@word" alone or followed by a blank.
bool IsDirective(const std::string& line, const char* word) {
    const std::string w = std::string("@") + word;
    return StartsWith(line, w.c_str()) &&
           (line.size() == w.size() || std::isspace(static_cast<unsigned char>(line[w.size()])));
}

QString Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

}  // namespace

// ---------------------------------------------------------------------------
// THelpDocument

bool THelpDocument::Parse(const std::string& input, std::string* error) {
    title_.clear();
    topics_.clear();
    byContext_.clear();
    start_ = 0;

    std::string text = input;
    if (StartsWith(text, "\xEF\xBB\xBF")) text.erase(0, 3);

    std::vector<THelpPage> topics;
    std::map<int, std::size_t> byContext;
    std::vector<std::pair<int, int>> aliases;  // alias, target
    std::vector<int> aliasLines;
    std::string title;
    int start = 0;
    int startLine = 0;
    bool magicSeen = false;
    std::string fault;
    int lineNo = 0;

    std::istringstream in(text);
    std::string line;
    auto fail = [&](const std::string& what) {
        fault = "Zeile " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    auto parseLine = [&]() -> bool {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!magicSeen) {
            if (Trim(line).empty()) return true;
            if (Trim(line) != kMagic)
                return fail(std::string("die Datei beginnt nicht mit \"") + kMagic + "\"");
            magicSeen = true;
            return true;
        }
        const bool inTopic = !topics.empty();
        if (IsDirective(line, "topic")) {
            std::size_t pos = 6;
            const std::string number = NextWord(line, pos);
            const std::string name = NextWord(line, pos);
            THelpPage topic;
            if (!ParseContext(number, topic.context))
                return fail("ungültige Kontextnummer \"" + number + "\"");
            if (name.empty()) return fail("Thema ohne Namen");
            if (byContext.count(topic.context))
                return fail("Kontextnummer " + number + " ist doppelt vergeben");
            topic.name = name;
            topic.title = Trim(line.substr(pos));
            if (topic.title.empty()) topic.title = name;
            byContext[topic.context] = topics.size();
            topics.push_back(std::move(topic));
            return true;
        }
        if (IsDirective(line, "alias")) {
            std::size_t pos = 6;
            int alias = 0;
            int target = 0;
            const std::string a = NextWord(line, pos);
            const std::string t = NextWord(line, pos);
            if (!ParseContext(a, alias) || !ParseContext(t, target) || !Trim(line.substr(pos)).empty())
                return fail("\"@alias\" braucht zwei Kontextnummern");
            aliases.emplace_back(alias, target);
            aliasLines.push_back(lineNo);
            return true;
        }
        if (IsDirective(line, "title")) {
            title = Trim(line.substr(6));
            return true;
        }
        if (IsDirective(line, "start")) {
            if (!ParseContext(Trim(line.substr(6)), start)) return fail("ungültige Startnummer");
            startLine = lineNo;
            return true;
        }
        if (inTopic) {
            topics.back().html += line;
            topics.back().html += '\n';
            return true;
        }
        // Before the first topic: blank lines and comments only.
        if (Trim(line).empty() || line[0] == '#') return true;
        return fail("Text vor dem ersten Thema");
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!parseLine()) break;
    }
    if (fault.empty() && !magicSeen) fault = std::string("die Datei beginnt nicht mit \"") + kMagic + "\"";
    if (fault.empty() && topics.empty()) fault = "die Datei enthält kein Thema";
    for (std::size_t i = 0; fault.empty() && i < aliases.size(); ++i) {
        const auto [alias, target] = aliases[i];
        lineNo = aliasLines[i];
        auto it = byContext.find(target);
        if (it == byContext.end()) {
            fail("Verweis auf das fehlende Thema " + std::to_string(target));
        } else if (byContext.count(alias)) {
            fail("Kontextnummer " + std::to_string(alias) + " ist doppelt vergeben");
        } else {
            byContext[alias] = it->second;
        }
    }
    if (fault.empty() && start != 0 && !byContext.count(start)) {
        lineNo = startLine;
        fail("Startthema " + std::to_string(start) + " fehlt");
    }
    if (!fault.empty()) {
        if (error) *error = fault;
        return false;
    }
    title_ = title.empty() ? "Hilfe" : title;
    topics_ = std::move(topics);
    byContext_ = std::move(byContext);
    start_ = start;
    if (error) error->clear();
    return true;
}

bool THelpDocument::LoadFile(const std::string& fileName, std::string* error) {
    std::string bytes;
    if (!fs_boundary::ReadFile(fileName, bytes)) {
        *this = THelpDocument();
        if (error) *error = "die Datei kann nicht gelesen werden";
        return false;
    }
    return Parse(bytes, error);
}

const THelpPage* THelpDocument::TopicOf(int context) const {
    auto it = byContext_.find(context);
    return it == byContext_.end() ? nullptr : &topics_[it->second];
}

const THelpPage* THelpDocument::StartTopic() const {
    if (topics_.empty()) return nullptr;
    if (const THelpPage* t = TopicOf(start_)) return t;
    return &topics_.front();
}

// ---------------------------------------------------------------------------
// THelpViewer

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Tavrin - Hilfe"));
    setWindowIcon(TImageList::ProgramIcon());
    resize(860, 560);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(4);
    auto makeButton = [this, bar](const char* name, const QString& text) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->addWidget(button);
        return button;
    };
    backButton_ = makeButton("HelpBack", QStringLiteral("< Zurück"));
    forwardButton_ = makeButton("HelpForward", QStringLiteral("Vorwärts >"));
    homeButton_ = makeButton("HelpHome", QStringLiteral("Startseite"));
    bar->addStretch(1);
    column->addLayout(bar);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    contents_ = new QListWidget(splitter);
    contents_->setObjectName(QStringLiteral("HelpContents"));
    browser_ = new QTextBrowser(splitter);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenLinks(false);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 590});
    column->addWidget(splitter, 1);

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, [this] { this->close(); });
    connect(backButton_, &QToolButton::clicked, this, [this] { GoBack(); });
    connect(forwardButton_, &QToolButton::clicked, this, [this] { GoForward(); });
    connect(homeButton_, &QToolButton::clicked, this, [this] {
        if (const THelpPage* start = document_.StartTopic()) Navigate(start->context);
    });
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { LinkClicked(url); });
    connect(contents_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item) Navigate(item->data(Qt::UserRole).toInt());
    });
    connect(contents_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item) Navigate(item->data(Qt::UserRole).toInt());
    });
    UpdateButtons();
}

THelpViewer::~THelpViewer() = default;

bool THelpViewer::Open(const std::string& fileName) {
    fileName_ = fileName;
    back_.clear();
    forward_.clear();
    current_ = 0;
    requested_ = 0;
    const bool ok = document_.LoadFile(fileName, &error_);
    if (ok) setWindowTitle(QStringLiteral("Tavrin - ") + QString::fromStdString(document_.Title()));
    FillContents();
    UpdateButtons();
    return ok;
}

void THelpViewer::FillContents() {
    contents_->clear();
    for (const THelpPage& topic : document_.Topics()) {
        auto* item = new QListWidgetItem(QString::fromStdString(topic.title), contents_);
        item->setData(Qt::UserRole, topic.context);
        item->setToolTip(QString::fromStdString(topic.name));
    }
}

bool THelpViewer::ShowContext(int context) {
    if (requested_ != 0 && requested_ != context) {
        back_.push_back(requested_);
        forward_.clear();
    }
    const THelpPage* topic = document_.TopicOf(context);
    Display(topic, context);
    MatchModality();
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    return topic != nullptr;
}

void THelpViewer::MatchModality() {
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted = (modal && modal != this) ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() == wanted) return;
    // The modality of a window takes effect when it is shown.
    if (isVisible()) hide();
    setWindowModality(wanted);
}

void THelpViewer::Display(const THelpPage* topic, int requested) {
    requested_ = requested;
    QString html;
    if (!IsOpen()) {
        current_ = 0;
        html = QStringLiteral(
                   "<h2>Hilfe nicht verfügbar</h2><p>Die Hilfe-Datei <b>%1</b> kann nicht gelesen "
                   "werden (%2).</p>")
                   .arg(Escaped(fileName_), Escaped(error_));
        browser_->setHtml(html);
        UpdateButtons();
        return;
    }
    if (!topic) {
        const THelpPage* start = document_.StartTopic();
        current_ = start ? start->context : 0;
        html = QStringLiteral(
                   "<p><i>Zum Hilfe-Kontext %1 gibt es kein eigenes Thema; hier ist die "
                   "Übersicht.</i></p>")
                   .arg(requested);
        if (start)
            html += QStringLiteral("<h2>%1</h2>").arg(Escaped(start->title)) +
                    QString::fromStdString(start->html);
    } else {
        current_ = topic->context;
        html = QStringLiteral("<h2>%1</h2>").arg(Escaped(topic->title)) + QString::fromStdString(topic->html);
    }
    browser_->setHtml(html);
    for (int row = 0; row < contents_->count(); ++row) {
        if (contents_->item(row)->data(Qt::UserRole).toInt() == current_) {
            const QSignalBlocker block(contents_);
            contents_->setCurrentRow(row);
            break;
        }
    }
    UpdateButtons();
}

void THelpViewer::Navigate(int context) {
    if (context == requested_ && context == current_) return;
    if (requested_ != 0) back_.push_back(requested_);
    forward_.clear();
    Display(document_.TopicOf(context), context);
}

void THelpViewer::GoBack() {
    if (back_.empty()) return;
    forward_.push_back(requested_);
    const int context = back_.back();
    back_.pop_back();
    Display(document_.TopicOf(context), context);
}

void THelpViewer::GoForward() {
    if (forward_.empty()) return;
    back_.push_back(requested_);
    const int context = forward_.back();
    forward_.pop_back();
    Display(document_.TopicOf(context), context);
}

void THelpViewer::LinkClicked(const QUrl& url) {
    if (url.scheme() != QLatin1String(kLinkScheme)) return;
    bool ok = false;
    const int context = url.path().toInt(&ok);
    if (ok && context > 0) Navigate(context);
}

void THelpViewer::UpdateButtons() {
    backButton_->setEnabled(!back_.empty());
    forwardButton_->setEnabled(!forward_.empty());
    homeButton_->setEnabled(IsOpen());
}
