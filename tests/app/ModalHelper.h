// Driving modal dialogs from a test: the action runs once the next modal window is up (the
// code under test is then inside its exec()).
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void whenModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QPointer<QWidget> skip(notThis);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, skip] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != skip.data() && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            action(modal);
        } else if (clock->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
            delete clock;
        }
    });
    timer->start();
}
