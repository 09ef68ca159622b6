// A scripted stand-in for the fingerprint control: records what Kestrel asks of it and gives
// the answers a test scripted.
#pragma once

#include <QStringList>
#include <deque>

#include "app/LumoHost.h"

class FakeLumoHost final : public lumo::app::LumoHost {
public:
    struct Script {
        std::deque<bool> registerResults;
        std::deque<QString> registerTemplates;
        std::deque<int> fingerIndexes;
        std::deque<bool> captureResults;
        QString verifyTemplate = "captured";
        // MatchFinger is true when the stored template equals this text.
        QString matchingTemplate;
    };

    explicit FakeLumoHost(QStringList* log, Script* script = nullptr)
        : m_log(log), m_script(script) {}

    void setVisible(bool visible) override { m_log->append(QString("Visible=%1").arg(visible)); }
    void SetLanguageFile(const QString& fileName) override {
        m_log->append("SetLanguageFile " + fileName);
    }
    void setIsAutoRegister(bool value) override {
        m_log->append(QString("IsAutoRegister=%1").arg(value));
    }
    bool Register() override {
        m_log->append("Register");
        return pop(m_script ? &m_script->registerResults : nullptr, false);
    }
    QString RegisterTemplate() override {
        return pop(m_script ? &m_script->registerTemplates : nullptr, QString());
    }
    int FingerIndex() override { return pop(m_script ? &m_script->fingerIndexes : nullptr, 1); }
    bool GetVerTemplate() override {
        m_log->append("GetVerTemplate");
        return pop(m_script ? &m_script->captureResults : nullptr, false);
    }
    QString VerifyTemplate() override { return m_script ? m_script->verifyTemplate : QString(); }
    bool MatchFinger(const QString& reg, const QString& ver) override {
        m_log->append("MatchFinger " + reg + " " + ver);
        return m_script && reg == m_script->matchingTemplate;
    }

private:
    template <class T>
    static T pop(std::deque<T>* queue, T fallback) {
        if (!queue || queue->empty()) return fallback;
        T value = queue->front();
        queue->pop_front();
        return value;
    }
    QStringList* m_log;
    Script* m_script;
};
