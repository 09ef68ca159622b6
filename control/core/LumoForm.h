// LumoForm: the visible surface of the control, the form a host places on its window.
//
// A small white form with the product logo (Image1) and the engine's place (FPEngine), sized
// to its contents. It reports its activate, click, double-click, deactivate, key-press and
// paint notifications through the handlers of FormEvents; the control turns them into its
// events. keyPress receives the character code and returns the code to process: 0 swallows
// the key. An empty handler means the notification does nothing.
//
// The form takes part in form translation (section "LumoMain" of a language file).
// Owned by the control object (or by the host widget it is parented to, which then must not
// outlive the control). GUI thread only.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;

namespace lumo::control {

struct FormEvents {
    std::function<void()> activate;
    std::function<void()> click;
    std::function<void()> dblClick;
    std::function<void()> deactivate;
    std::function<short(short key)> keyPress;
    std::function<void()> paint;
};

class LumoForm : public QWidget {
    Q_OBJECT

public:
    explicit LumoForm(QWidget* parent = nullptr);
    ~LumoForm() override;

    FormEvents events;

protected:
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_image1 = nullptr;
    QWidget* m_engineSite = nullptr;
};

}  // namespace lumo::control
