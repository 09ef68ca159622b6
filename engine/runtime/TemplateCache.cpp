#include "engine/runtime/TemplateCache.h"

#include <string>

namespace lumo::engine {

int TemplateCache::create() {
    const int handle = m_nextHandle++;
    m_indexes.emplace(handle, std::make_unique<Index>());
    return handle;
}

void TemplateCache::release(int handle) {
    index(handle);
    m_indexes.erase(handle);
}

int TemplateCache::add(int handle, int id, const FeatureSet& features) {
    return index(handle).add(id, features) ? kReplaced : kAdded;
}

int TemplateCache::remove(int handle, int id) {
    return index(handle).remove(id) ? kRemoved : kNotStored;
}

IdentifyResult TemplateCache::identify(int handle, const FeatureSet& probe, float threshold) const {
    return index(handle).identify(probe, threshold);
}

std::size_t TemplateCache::size(int handle) const { return index(handle).size(); }

Index& TemplateCache::index(int handle) const {
    auto it = m_indexes.find(handle);
    if (it == m_indexes.end()) {
        throw EngineError("Unknown cache handle " + std::to_string(handle));
    }
    return *it->second;
}

}  // namespace lumo::engine
