#include "IFPEngine.h"

namespace lumo::engine {

void IFPEngine::clearEvents() {
    OnImageReceived = nullptr;
    OnFeatureInfo = nullptr;
    OnEnroll = nullptr;
    OnCapture = nullptr;
}

void IFPEngine::fireImageReceived(bool imageValid) {
    if (auto handler = OnImageReceived) handler(imageValid);
}

void IFPEngine::fireFeatureInfo(int quality) {
    if (auto handler = OnFeatureInfo) handler(quality);
}

void IFPEngine::fireEnroll(bool success, const TemplateValue& templateValue) {
    if (auto handler = OnEnroll) handler(success, templateValue);
}

void IFPEngine::fireCapture(bool success, const TemplateValue& templateValue) {
    if (auto handler = OnCapture) handler(success, templateValue);
}

}  // namespace lumo::engine
