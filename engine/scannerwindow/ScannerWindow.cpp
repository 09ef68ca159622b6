#include "engine/scannerwindow/ScannerWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <exception>
#include <system_error>

#include "engine/image/ImageLoader.h"
#include "engine/scannerwindow/SignalLamp.h"
#include "engine/scannerwindow/Smudge.h"
#include "engine/sensor/SensorFeed.h"

namespace fs = std::filesystem;

namespace lumo::scanner {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }
QString qs(const fs::path& path) { return QString::fromStdString(path.string()); }

template <typename W>
W* named(W* widget, const char* objectName, const QString& accessibleName) {
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QIcon thumbnail(const fs::path& file) {
    const int side = ScannerWindow::kThumbnailSide;
    QImageReader reader(qs(file));
    QImage image = reader.read();
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    if (image.isNull()) {
        p.setPen(Qt::darkGray);
        p.drawRect(0, 0, side - 1, side - 1);
        p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("?"));
    } else {
        const QImage scaled =
            image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    }
    p.end();
    QIcon icon;
    // The same picture when disabled: the window says the scanner is not in use instead.
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

// "Anna" / "right index" / "impression 2" for "Anna - right index"; a label without " - "
// takes the first line alone. Each line is cut to the cell's width.
QString caption(const GalleryImage& image, const QFontMetrics& metrics) {
    const int width = ScannerWindow::kCellWidth - 6;
    const QString label = qs(image.label);
    const qsizetype dash = label.indexOf(QStringLiteral(" - "));
    QStringList lines;
    if (dash > 0) {
        lines << label.left(dash).trimmed() << label.mid(dash + 3).trimmed();
    } else {
        lines << label;
    }
    lines << ScannerWindow::tr("impression %1").arg(image.impression);
    for (QString& line : lines) line = metrics.elidedText(line, Qt::ElideRight, width);
    return lines.join(QLatin1Char('\n'));
}

bool savePng(const engine::GrayImage& image, const fs::path& file) {
    QImage q(image.width, image.height, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width,
                    image.width, q.scanLine(y));
    }
    const int dotsPerMeter = static_cast<int>(image.resolution / 0.0254 + 0.5);
    q.setDotsPerMeterX(dotsPerMeter);
    q.setDotsPerMeterY(dotsPerMeter);
    return q.save(qs(file), "PNG");
}

QString cardText(const ShelfCard& card) {
    if (!card.uid) return qs(card.name) + QStringLiteral(" (not a card)");
    return qs(card.name);
}

bool samePath(const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return a.lexically_normal() == b.lexically_normal();
}

}  // namespace

ScannerWindow::ScannerWindow(ScannerFolders folders, QWidget* parent)
    : ScannerWindow(std::move(folders), Intervals{}, parent) {}

ScannerWindow::ScannerWindow(ScannerFolders folders, Intervals intervals, QWidget* parent)
    : QWidget(parent), m_folders(std::move(folders)) {
    m_stateFile = engine::sensorStateFile(m_folders.feed);
    build();
    refreshGallery();
    refreshCards();
    refreshSensor();

    m_sensorTimer = new QTimer(this);
    m_sensorTimer->setInterval(intervals.sensorMs);
    connect(m_sensorTimer, &QTimer::timeout, this, &ScannerWindow::refreshSensor);
    m_sensorTimer->start();
    m_cardsTimer = new QTimer(this);
    m_cardsTimer->setInterval(intervals.cardsMs);
    connect(m_cardsTimer, &QTimer::timeout, this, &ScannerWindow::refreshCards);
    m_cardsTimer->start();
    m_galleryTimer = new QTimer(this);
    m_galleryTimer->setInterval(intervals.galleryMs);
    connect(m_galleryTimer, &QTimer::timeout, this, &ScannerWindow::refreshGallery);
    m_galleryTimer->start();
}

ScannerWindow::~ScannerWindow() { removeUntakenPresses(); }

QPoint ScannerWindow::thumbnailCentre(int index) {
    return {kGalleryLeft + kCellWidth * (index % kColumns) + kCellWidth / 2,
            kGalleryTop + kCellHeight * (index / kColumns) + kThumbnailSide / 2 + 4};
}

void ScannerWindow::build() {
    setObjectName(QStringLiteral("ScannerWindow"));
    setWindowTitle(tr("Virtual scanner"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    // Appearing beside a program, it does not take the keyboard from the program's window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kWidth, kHeight);

    m_status = named(new QLabel(this), "statusLabel", tr("Scanner status"));
    m_status->setGeometry(8, 8, 404, 20);
    QFont bold = m_status->font();
    bold.setBold(true);
    m_status->setFont(bold);

    struct LampPlace {
        SignalLamp** lamp;
        const char* name;
        QString accessible;
        QString caption;
        QColor colour;
        int x;
    } lamps[] = {
        {&m_green, "greenLamp", tr("Green light"), tr("Green light"), QColor(30, 200, 60), 8},
        {&m_red, "redLamp", tr("Red light"), tr("Red light"), QColor(230, 40, 40), 140},
        {&m_beeper, "beeperLamp", tr("Beeper"), tr("Beeper"), QColor(250, 190, 20), 272}};
    for (const LampPlace& place : lamps) {
        *place.lamp = named(new SignalLamp(place.colour, this), place.name, place.accessible);
        (*place.lamp)->setGeometry(place.x, 34, 16, 16);
        auto* caption = named(new QLabel(place.caption, this),
                              (std::string(place.name) + "Caption").c_str(), place.caption);
        caption->setGeometry(place.x + 22, 32, 104, 20);
    }

    m_gallery = named(new QListWidget(this), "gallery", tr("Finger images"));
    m_gallery->setGeometry(kGalleryLeft, kGalleryTop, 404, 2 * kCellHeight);
    m_gallery->setViewMode(QListView::IconMode);
    m_gallery->setMovement(QListView::Static);
    m_gallery->setResizeMode(QListView::Fixed);
    m_gallery->setFlow(QListView::LeftToRight);
    m_gallery->setWrapping(true);
    m_gallery->setSpacing(0);
    m_gallery->setGridSize(QSize(kCellWidth, kCellHeight));
    m_gallery->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    m_gallery->setUniformItemSizes(true);
    m_gallery->setFrameShape(QFrame::NoFrame);
    m_gallery->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_gallery->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_gallery->setSelectionMode(QAbstractItemView::SingleSelection);
    m_gallery->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gallery->setDragEnabled(false);
    m_gallery->setWordWrap(false);
    m_gallery->installEventFilter(this);
    connect(m_gallery, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { pressImage(index.row()); });
    connect(m_gallery, &QListWidget::currentRowChanged, this, [this](int) {
        m_poorPress->setEnabled(scannerInUse() && m_gallery->currentRow() >= 0);
    });

    m_galleryHint = named(new QLabel(this), "galleryHint", tr("Where to put finger images"));
    m_galleryHint->setGeometry(kGalleryLeft + 8, kGalleryTop + 8, 388, 2 * kCellHeight - 16);
    m_galleryHint->setWordWrap(true);
    m_galleryHint->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_galleryHint->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_poorPress =
        named(new QPushButton(tr("&Poor press"), this), "poorPressButton", tr("Poor press"));
    m_poorPress->setGeometry(8, 308, 120, 28);
    m_poorPress->setToolTip(tr("Presses a smudged copy of the selected image"));
    m_poorPress->setFocusPolicy(Qt::TabFocus);
    connect(m_poorPress, &QPushButton::clicked, this,
            [this] { pressPoorImage(m_gallery->currentRow()); });

    m_pressMessage = named(new QLabel(this), "pressMessage", tr("Last press"));
    m_pressMessage->setGeometry(136, 308, 276, 30);
    m_pressMessage->setWordWrap(true);

    auto* heading = named(new QLabel(tr("Card reader"), this), "cardHeading", tr("Card reader"));
    heading->setGeometry(8, 346, 404, 20);
    heading->setFont(bold);
    m_cardOnReaderLabel = named(new QLabel(this), "cardOnReaderLabel", tr("Card on the reader"));
    m_cardOnReaderLabel->setGeometry(8, 368, 404, 20);

    m_shelf = named(new QListWidget(this), "cardShelf", tr("Cards"));
    m_shelf->setGeometry(8, 392, 260, 120);
    m_shelf->setSelectionMode(QAbstractItemView::SingleSelection);
    m_shelf->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_shelf->setTextElideMode(Qt::ElideMiddle);
    connect(m_shelf, &QListWidget::currentRowChanged, this, [this](int) { updateCardButtons(); });
    connect(m_shelf, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem*) { putSelectedCardOnReader(); });

    m_putCard =
        named(new QPushButton(tr("Put on reader"), this), "putCardButton", tr("Put on reader"));
    m_putCard->setGeometry(276, 392, 136, 28);
    connect(m_putCard, &QPushButton::clicked, this, [this] { putSelectedCardOnReader(); });
    m_takeCard = named(new QPushButton(tr("Take off"), this), "takeCardButton", tr("Take off"));
    m_takeCard->setGeometry(276, 426, 136, 28);
    connect(m_takeCard, &QPushButton::clicked, this, [this] { takeCardOff(); });
    m_newCard =
        named(new QPushButton(tr("New blank card"), this), "newCardButton", tr("New blank card"));
    m_newCard->setGeometry(276, 460, 136, 28);
    connect(m_newCard, &QPushButton::clicked, this, [this] { newBlankCard(); });
    m_cardMessage = named(new QLabel(this), "cardMessage", tr("Card message"));
    m_cardMessage->setGeometry(276, 488, 136, 30);
    m_cardMessage->setWordWrap(true);

    setTabOrder(m_gallery, m_poorPress);
    setTabOrder(m_poorPress, m_shelf);
    setTabOrder(m_shelf, m_putCard);
    setTabOrder(m_putCard, m_takeCard);
    setTabOrder(m_takeCard, m_newCard);
    m_gallery->setFocus();
}

// --- sensor ----------------------------------------------------------------------------------

void ScannerWindow::refreshSensor() {
    const SensorState next = engine::liveSensorState(m_stateFile);
    forgetTakenPresses();
    if (m_stateShown && next.open == m_state.open && next.sensorSignals == m_state.sensorSignals) {
        m_state = next;
        return;
    }
    const bool wasOpen = m_stateShown && m_state.open;
    m_state = next;
    m_stateShown = true;
    if (wasOpen && !m_state.open) removeUntakenPresses();
    applySensorState();
}

void ScannerWindow::applySensorState() {
    const bool inUse = m_state.open;
    m_status->setText(inUse ? tr("Scanner in use") : tr("Scanner not in use"));
    m_status->setStyleSheet(inUse ? QStringLiteral("color: #1a6e1a;")
                                  : QStringLiteral("color: #7a7a7a;"));
    m_green->setLit(m_state.sensorSignals.greenLight);
    m_red->setLit(m_state.sensorSignals.redLight);
    m_beeper->setLit(m_state.sensorSignals.beeper);
    m_gallery->setEnabled(inUse);
    m_poorPress->setEnabled(inUse && m_gallery->currentRow() >= 0);
    // The gallery lost the focus while disabled; the keys press again as soon as it is usable.
    if (inUse && !m_gallery->hasFocus()) m_gallery->setFocus();
}

// --- gallery ---------------------------------------------------------------------------------

void ScannerWindow::refreshGallery() {
    std::vector<GalleryImage> next = galleryImages(listGallery(m_folders.gallery));
    if (next == m_images && m_gallery->count() == static_cast<int>(next.size()) &&
        !(next.empty() && m_galleryHint->text().isEmpty()))
        return;
    fs::path current;
    if (const int row = m_gallery->currentRow();
        row >= 0 && row < static_cast<int>(m_images.size()))
        current = m_images[row].file;
    m_images = std::move(next);

    m_gallery->clear();
    const QFontMetrics metrics(m_gallery->font());
    int currentRow = m_images.empty() ? -1 : 0;
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        const GalleryImage& image = m_images[i];
        auto* item = new QListWidgetItem(thumbnail(image.file), caption(image, metrics));
        item->setToolTip(qs(image.label) + QStringLiteral("\n") + qs(image.file));
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_gallery->addItem(item);
        if (image.file == current) currentRow = static_cast<int>(i);
    }
    if (currentRow >= 0) m_gallery->setCurrentRow(currentRow);
    m_galleryHint->setText(
        tr("No finger images in %1.\n\nPut images there (PNG, TIFF, BMP, JPEG): one folder per "
           "finger, named after it (\"Anna - right index\"), with its impressions inside.")
            .arg(qs(m_folders.gallery)));
    m_galleryHint->setVisible(m_images.empty());
    m_poorPress->setEnabled(scannerInUse() && m_gallery->currentRow() >= 0);
}

bool ScannerWindow::pressImage(int index) {
    if (index < 0 || index >= static_cast<int>(m_images.size())) return false;
    if (!scannerInUse()) {
        setPressMessage(tr("Not pressed: no program uses the scanner."));
        return false;
    }
    const GalleryImage& image = m_images[index];
    if (m_gallery->currentRow() != index) m_gallery->setCurrentRow(index);
    const std::size_t before = m_dropped.size();
    dropPress(image.file, engine::feedFileDpi(image.file.filename().string()),
              tr("Pressed %1, impression %2").arg(qs(image.label)).arg(image.impression));
    return m_dropped.size() > before;
}

bool ScannerWindow::pressPoorImage(int index) {
    if (index < 0 || index >= static_cast<int>(m_images.size())) {
        setPressMessage(tr("Select an image first."));
        return false;
    }
    if (!scannerInUse()) {
        setPressMessage(tr("Not pressed: no program uses the scanner."));
        return false;
    }
    const GalleryImage& image = m_images[index];
    if (!m_workFolder.isValid()) {
        setPressMessage(tr("Cannot make a poor press: no temporary folder."));
        return false;
    }
    const fs::path smudged = fs::path(m_workFolder.path().toStdString()) / "poor-press.png";
    try {
        const engine::GrayImage original = engine::loadImage(
            image.file.string(), engine::feedFileDpi(image.file.filename().string()));
        if (!savePng(smudgeImage(original), smudged)) {
            setPressMessage(tr("Cannot make a poor press: %1 cannot be written.").arg(qs(smudged)));
            return false;
        }
    } catch (const std::exception& e) {
        setPressMessage(tr("Cannot make a poor press: %1").arg(qs(std::string(e.what()))));
        return false;
    }
    const std::size_t before = m_dropped.size();
    dropPress(smudged, 500,
              tr("Poor press of %1, impression %2").arg(qs(image.label)).arg(image.impression));
    std::error_code ec;
    fs::remove(smudged, ec);
    return m_dropped.size() > before;
}

void ScannerWindow::dropPress(const fs::path& file, int dpi, const QString& what) {
    try {
        m_dropped.push_back(engine::dropIntoFeed(m_folders.feed, file, dpi));
        setPressMessage(what);
    } catch (const std::exception& e) {
        setPressMessage(tr("Not pressed: %1").arg(qs(std::string(e.what()))));
    }
}

void ScannerWindow::forgetTakenPresses() {
    std::error_code ec;
    std::erase_if(m_dropped, [&](const fs::path& p) { return !fs::exists(p, ec); });
}

void ScannerWindow::removeUntakenPresses() {
    std::error_code ec;
    for (const fs::path& p : m_dropped) fs::remove(p, ec);
    m_dropped.clear();
}

void ScannerWindow::setPressMessage(const QString& text) { m_pressMessage->setText(text); }

// --- cards -----------------------------------------------------------------------------------

void ScannerWindow::refreshCards() {
    std::vector<ShelfCard> cards = listCardShelf(m_folders.cards);
    fs::path onReader;
    try {
        onReader = cardOnReader();
    } catch (const std::exception& e) {
        setCardMessage(qs(std::string(e.what())));
    }
    if (cards == m_cards && onReader == m_cardOnReader &&
        m_shelf->count() == static_cast<int>(cards.size()) &&
        !m_cardOnReaderLabel->text().isEmpty())
        return;

    fs::path selected;
    if (const int row = m_shelf->currentRow(); row >= 0 && row < static_cast<int>(m_cards.size()))
        selected = m_cards[row].file;
    m_cards = std::move(cards);
    m_cardOnReader = onReader;

    m_shelf->clear();
    int selectRow = -1;
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        const ShelfCard& card = m_cards[i];
        QString text = cardText(card);
        auto* item = new QListWidgetItem(text);
        item->setToolTip(qs(card.file) + (card.uid
                                              ? QStringLiteral("\nUID ") + qs(uidText(*card.uid))
                                              : QString()));
        if (samePath(card.file, m_cardOnReader)) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
            item->setText(text + tr(" (on the reader)"));
        }
        m_shelf->addItem(item);
        if (!selected.empty() && card.file == selected) selectRow = static_cast<int>(i);
    }
    if (selectRow >= 0) m_shelf->setCurrentRow(selectRow);

    if (m_cardOnReader.empty()) {
        m_cardOnReaderLabel->setText(tr("No card on the reader"));
    } else if (const auto uid = dumpUid(m_cardOnReader)) {
        m_cardOnReaderLabel->setText(
            tr("On the reader: %1 (UID %2)")
                .arg(qs(m_cardOnReader.stem().string()), qs(uidText(*uid))));
    } else {
        m_cardOnReaderLabel->setText(
            tr("On the reader: %1 (no such card dump: the reader sees no card)")
                .arg(qs(m_cardOnReader.filename().string())));
    }
    m_cardOnReaderLabel->setToolTip(qs(m_cardOnReader));
    if (m_cards.empty())
        setCardMessage(tr("No cards yet: make a blank one."));
    else if (m_cardMessage->text() == tr("No cards yet: make a blank one."))
        setCardMessage(QString());
    updateCardButtons();
}

void ScannerWindow::updateCardButtons() {
    const int row = m_shelf->currentRow();
    const bool usable = row >= 0 && row < static_cast<int>(m_cards.size()) && m_cards[row].uid &&
                        !samePath(m_cards[row].file, m_cardOnReader);
    m_putCard->setEnabled(usable);
    m_takeCard->setEnabled(!m_cardOnReader.empty());
}

bool ScannerWindow::putSelectedCardOnReader() {
    const int row = m_shelf->currentRow();
    if (row < 0 || row >= static_cast<int>(m_cards.size()) || !m_cards[row].uid) return false;
    try {
        putCardOnReader(m_cards[row].file);
        setCardMessage(tr("Put %1 on the reader.").arg(qs(m_cards[row].name)));
    } catch (const std::exception& e) {
        setCardMessage(qs(std::string(e.what())));
        return false;
    }
    refreshCards();
    return true;
}

bool ScannerWindow::takeCardOff() {
    try {
        takeCardOffReader();
        setCardMessage(tr("Took the card off."));
    } catch (const std::exception& e) {
        setCardMessage(qs(std::string(e.what())));
        return false;
    }
    refreshCards();
    return true;
}

fs::path ScannerWindow::newBlankCard() {
    fs::path file;
    try {
        file = createBlankCard(m_folders.cards, randomCardUid());
    } catch (const std::exception& e) {
        setCardMessage(qs(std::string(e.what())));
        return {};
    }
    refreshCards();
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        if (m_cards[i].file == file) m_shelf->setCurrentRow(static_cast<int>(i));
    }
    setCardMessage(tr("Made %1.").arg(qs(file.stem().string())));
    return file;
}

void ScannerWindow::setCardMessage(const QString& text) { m_cardMessage->setText(text); }

// --- window ----------------------------------------------------------------------------------

void ScannerWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void ScannerWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ScannerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_gallery && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            pressImage(m_gallery->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lumo::scanner
