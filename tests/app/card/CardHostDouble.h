// A fingerprint control host for the card dialogs' tests: enrollment and capture are scripted,
// the card members are the control's own card operations over the engine double with a
// simulated MIFARE card, so the card's bytes and keys are the real outcome.
#pragma once

#include <QStringList>
#include <deque>
#include <string>
#include <vector>

#include "app/LumoHost.h"
#include "control/card/CardOperations.h"
#include "tests/support/card/SimulatedCardEngine.h"

class CardHostDouble final : public lumo::app::LumoHost {
public:
    lumo::test::SimulatedCardEngine engine;
    lumo::card::CardKey cardKey = lumo::card::kFactoryCardKey;
    lumo::card::CardKey newCardKey = lumo::card::kFactoryCardKey;
    bool engineStarts = true;
    // Boxes the control would show itself.
    std::vector<std::string> controlBoxes;
    // Every member called, in order ("Register", "Set6FPCardKey(1,2,3,0,0,0)", ...).
    QStringList log;

    std::deque<bool> registerResults;
    QString registerTemplate;
    std::deque<bool> captureResults;
    QString verifyTemplate;
    QString checkFinger = "1100000000";
    // Finger status at the start of each enrollment dialog.
    QStringList flagsSeen;
    std::deque<int> registerFingers;
    std::deque<QString> registerTemplates;
    int fingerIndex = 1;

    void setVisible(bool) override {}
    void SetLanguageFile(const QString&) override {}
    void setIsAutoRegister(bool value) override { log << QString("IsAutoRegister=%1").arg(value); }
    void setCheckFinger(const QString& value) override {
        checkFinger = value;
        log << "CheckFinger=" + value;
    }
    // Like the control, a successful enrollment marks its finger in the finger status, which
    // the next enrollment dialog starts from.
    bool Register() override {
        log << "Register";
        flagsSeen << checkFinger;
        const bool ok = pop(registerResults);
        if (ok && !registerFingers.empty()) {
            fingerIndex = registerFingers.front();
            registerFingers.pop_front();
            checkFinger[fingerIndex - 1] = '1';
        }
        if (ok && !registerTemplates.empty()) {
            registerTemplate = registerTemplates.front();
            registerTemplates.pop_front();
        }
        return ok;
    }
    QString RegisterTemplate() override { return registerTemplate; }
    int FingerIndex() override { return fingerIndex; }
    bool GetVerTemplate() override {
        log << "GetVerTemplate";
        return pop(captureResults);
    }
    QString VerifyTemplate() override { return verifyTemplate; }
    // Two templates match when they are the same text.
    bool MatchFinger(const QString& reg, const QString& ver) override {
        log << "MatchFinger";
        return !reg.isEmpty() && reg == ver;
    }
    bool Set6FPCardKey(int k1, int k2, int k3, int k4, int k5, int k6) override {
        log << QString("Set6FPCardKey(%1,%2,%3,%4,%5,%6)")
                   .arg(k1)
                   .arg(k2)
                   .arg(k3)
                   .arg(k4)
                   .arg(k5)
                   .arg(k6);
        return m_ops.Set6FPCardKey(k1, k2, k3, k4, k5, k6);
    }
    bool SetNew6FPCardKey(int k1, int k2, int k3, int k4, int k5, int k6) override {
        log << QString("SetNew6FPCardKey(%1,%2,%3,%4,%5,%6)")
                   .arg(k1)
                   .arg(k2)
                   .arg(k3)
                   .arg(k4)
                   .arg(k5)
                   .arg(k6);
        return m_ops.SetNew6FPCardKey(k1, k2, k3, k4, k5, k6);
    }
    int WriteTemplateToCard(const QString& tpl, int userId, bool changePwd, bool ext) override {
        log << QString("WriteTemplateToCard(%1,%2,%3)").arg(userId).arg(changePwd).arg(ext);
        try {
            return m_ops.WriteTemplateToCard(tpl.toStdString(), userId, changePwd, ext);
        } catch (const std::exception& e) {
            throw lumo::app::LumoHostError(e.what());  // the member's failure status
        }
    }
    int ReadTemplateFromCard(QString& tpl, int& userId, bool ext) override {
        log << QString("ReadTemplateFromCard(%1)").arg(ext);
        std::string text;
        std::int32_t id = 0;
        const int result = m_ops.ReadTemplateFromCard(text, id, ext);
        tpl = QString::fromStdString(text);
        userId = id;
        return result;
    }
    int EmptyMFCard(bool ext) override {
        log << QString("EmptyMFCard(%1)").arg(ext);
        try {
            return m_ops.EmptyMFCard(ext);
        } catch (const std::exception& e) {
            throw lumo::app::LumoHostError(e.what());
        }
    }

    QStringList cardMembers() const {
        QStringList members;
        for (const QString& line : log)
            if (line.contains("Card")) members << line;
        return members;
    }

private:
    static bool pop(std::deque<bool>& queue) {
        if (queue.empty()) return false;
        const bool value = queue.front();
        queue.pop_front();
        return value;
    }

    lumo::card::CardOperations m_ops{
        engine, cardKey, newCardKey, [this] { return engineStarts; },
        [this](const std::string& text) { controlBoxes.push_back(text); }};
};
