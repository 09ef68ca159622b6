// ScannerWindow: the virtual scanner as a small always-on-top tool window, for people without
// a fingerprint scanner or card reader. It runs in a process of its own (tools/lumoscanner),
// beside the program whose engine uses the virtual sensor.
//
//  - A gallery of sample finger images (Gallery.h). A click on a thumbnail, or Enter on the
//    selected one, presses it: the image is dropped into the feed folder (SensorFeed.h), where
//    the program's virtual sensor takes it. "Poor press" presses a smudged copy of the
//    selected image (Smudge.h), which extraction rejects.
//  - The sensor's green light, red light and beeper, followed live from the sensor state file
//    (SensorState.h, read every 150 ms).
//  - "Scanner not in use" while no live program holds the virtual sensor open: the gallery and
//    "Poor press" are disabled, and presses the window dropped that nobody took are removed, so
//    that no stale press waits for the next program.
//  - The simulated card reader (CardShelf.h): which card lies on it, the cards of the shelf
//    folder, "Put on reader", "Take off" and "New blank card".
//
// Layout. The window is fixed at 420 x 520 and every control has a fixed place (no layout
// manager, so fonts and styles do not move anything). The gallery shows 4 thumbnails per row
// and 2 rows at a time (more scroll); thumbnail i (0 = the first impression of the first finger)
// has its centre at window point
//     x = 8 + 96 * (i % 4) + 48,   y = 60 + 120 * (i / 4) + 36
// (thumbnailCentre(i); the first ones: (56,96), (152,96), (248,96), (344,96), (56,216)). Under
// each picture: the label split at " - " into two lines ("Anna", "right index"), then
// "impression N".
// Keyboard: the gallery has the focus when the window opens and whenever the scanner comes into
// use; arrow keys select, Enter or Return presses the selected image, Alt+P makes a poor press
// of it, Escape closes the window (as its close button does: lumoscanner then ends). The window
// does not take the keyboard from the program when it appears: click it or focus it first.
// Scripts find it by its title, "Virtual scanner" (xdotool search --name '^Virtual scanner$').
//
// Object names (and accessible names, in words): statusLabel, greenLamp, redLamp, beeperLamp
// (each with a ...Caption label), gallery, galleryHint, poorPressButton, pressMessage,
// cardHeading, cardOnReaderLabel, cardShelf, putCardButton (276,392 136x28), takeCardButton
// (276,426), newCardButton (276,460), cardMessage.
//
// GUI thread only. Failures of a press or a card operation are shown in the window, never
// thrown.
#pragma once

#include <QPoint>
#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/scannerwindow/CardShelf.h"
#include "engine/scannerwindow/Gallery.h"
#include "engine/sensor/SensorState.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace lumo::scanner {

class SignalLamp;

using engine::SensorState;

struct ScannerFolders {
    std::filesystem::path feed;     // the virtual sensor's feed folder
    std::filesystem::path gallery;  // sample finger images
    std::filesystem::path cards;    // the card shelf
};

class ScannerWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 520;
    static constexpr int kGalleryLeft = 8;
    static constexpr int kGalleryTop = 60;
    static constexpr int kCellWidth = 96;
    static constexpr int kCellHeight = 120;
    static constexpr int kColumns = 4;
    static constexpr int kThumbnailSide = 64;

    struct Intervals {
        int sensorMs = 150;
        int cardsMs = 1000;
        int galleryMs = 2000;
    };

    explicit ScannerWindow(ScannerFolders folders, QWidget* parent = nullptr);
    ScannerWindow(ScannerFolders folders, Intervals intervals, QWidget* parent = nullptr);
    // Removes the presses it dropped that nobody took.
    ~ScannerWindow() override;

    // Where thumbnail index's centre lies, in window coordinates (see the header note).
    static QPoint thumbnailCentre(int index);

    // What the timers do, for tests.
    void refreshSensor();
    void refreshGallery();
    void refreshCards();

    bool scannerInUse() const { return m_state.open; }
    const SensorState& sensorState() const { return m_state; }
    const std::vector<GalleryImage>& images() const { return m_images; }
    const std::vector<ShelfCard>& shelfCards() const { return m_cards; }
    const ScannerFolders& folders() const { return m_folders; }

    // What the controls do: true when the press was dropped into the feed folder.
    bool pressImage(int index);
    bool pressPoorImage(int index);
    bool putSelectedCardOnReader();
    bool takeCardOff();
    // Makes a blank card on the shelf and selects it; its path, empty on failure.
    std::filesystem::path newBlankCard();

signals:
    // The user closed the window.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void applySensorState();
    void dropPress(const std::filesystem::path& file, int dpi, const QString& what);
    void forgetTakenPresses();
    void removeUntakenPresses();
    void updateCardButtons();
    void setPressMessage(const QString& text);
    void setCardMessage(const QString& text);

    ScannerFolders m_folders;
    std::filesystem::path m_stateFile;
    SensorState m_state;
    bool m_stateShown = false;
    std::vector<GalleryImage> m_images;
    std::vector<ShelfCard> m_cards;
    std::filesystem::path m_cardOnReader;
    std::vector<std::filesystem::path> m_dropped;
    QTemporaryDir m_workFolder;

    QLabel* m_status = nullptr;
    SignalLamp* m_green = nullptr;
    SignalLamp* m_red = nullptr;
    SignalLamp* m_beeper = nullptr;
    QListWidget* m_gallery = nullptr;
    QLabel* m_galleryHint = nullptr;
    QPushButton* m_poorPress = nullptr;
    QLabel* m_pressMessage = nullptr;
    QLabel* m_cardOnReaderLabel = nullptr;
    QListWidget* m_shelf = nullptr;
    QPushButton* m_putCard = nullptr;
    QPushButton* m_takeCard = nullptr;
    QPushButton* m_newCard = nullptr;
    QLabel* m_cardMessage = nullptr;
    QTimer* m_sensorTimer = nullptr;
    QTimer* m_cardsTimer = nullptr;
    QTimer* m_galleryTimer = nullptr;
};

}  // namespace lumo::scanner
