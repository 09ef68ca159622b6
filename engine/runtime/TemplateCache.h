// TemplateCache: the engine's identification buffers (CreateFPCacheDB and its members), each
// a 1:N index under a handle of its own.
//
// Handles are positive, counted up from 1 and never reused within one engine, so a released
// handle stays unknown. Every operation on a handle that is not open throws EngineError
// ("Unknown cache handle 7"). Owned by the engine; GUI thread only (an identification runs
// worker threads of its own and joins them before it returns).
#pragma once

#include <map>
#include <memory>

#include "engine/match/Index.h"

namespace lumo::engine {

class TemplateCache {
public:
    // Status of add(): a new entry, or an entry that replaced the id's earlier template.
    static constexpr int kAdded = 1;
    static constexpr int kReplaced = 2;
    // Status of remove().
    static constexpr int kRemoved = 1;
    static constexpr int kNotStored = 0;

    int create();
    void release(int handle);
    int add(int handle, int id, const FeatureSet& features);
    int remove(int handle, int id);
    IdentifyResult identify(int handle, const FeatureSet& probe, float threshold) const;
    std::size_t size(int handle) const;

private:
    Index& index(int handle) const;

    int m_nextHandle = 1;
    std::map<int, std::unique_ptr<Index>> m_indexes;
};

}  // namespace lumo::engine
