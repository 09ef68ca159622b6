// RecordingPresenter: a MessagePresenter for tests that records every box and answers at once.
//
// boxes() lists the requests in the order shown. Yes/No boxes take their answers from
// answerNext() in order, then from defaultYesNo; OK boxes answer Ok. onShow runs inside show(),
// while the box would be open.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "control/core/MessagePresenter.h"

namespace lumo::test {

class RecordingPresenter : public control::MessagePresenter {
public:
    control::MessageAnswer show(QWidget*, const control::MessageBoxRequest& request) override {
        m_boxes.push_back(request);
        if (onShow) onShow(request);
        if (request.buttons == control::MessageButtons::Ok) return control::MessageAnswer::Ok;
        if (!m_answers.empty()) {
            control::MessageAnswer a = m_answers.front();
            m_answers.pop_front();
            return a;
        }
        return defaultYesNo;
    }

    void answerNext(control::MessageAnswer answer) { m_answers.push_back(answer); }
    const std::vector<control::MessageBoxRequest>& boxes() const { return m_boxes; }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& b : m_boxes) t.push_back(b.text);
        return t;
    }
    void clear() { m_boxes.clear(); }

    control::MessageAnswer defaultYesNo = control::MessageAnswer::No;
    std::function<void(const control::MessageBoxRequest&)> onShow;

private:
    std::vector<control::MessageBoxRequest> m_boxes;
    std::deque<control::MessageAnswer> m_answers;
};

}  // namespace lumo::test
