// A private registry folder for one test: $LUMO_REGISTRY points at a fresh temporary folder
// for the object's lifetime, so tests never see each other's or the user's settings.
#pragma once

#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/registry/Registry.h"

class TempRegistry {
public:
    TempRegistry() {
        if (const char* old = std::getenv("LUMO_REGISTRY")) m_old = old;
        ::setenv("LUMO_REGISTRY", m_dir.path().toUtf8().constData(), 1);
    }
    ~TempRegistry() {
        if (m_old)
            ::setenv("LUMO_REGISTRY", m_old->c_str(), 1);
        else
            ::unsetenv("LUMO_REGISTRY");
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    QString path() const { return m_dir.path(); }

    static std::optional<std::string> lumoValue(const std::string& name) {
        return lumo::registry::readValue(lumo::registry::Root::LocalMachine, "SOFTWARE\\LUMO",
                                         name);
    }
    static void setLumoValue(const std::string& name, const std::string& value) {
        lumo::registry::writeValue(lumo::registry::Root::LocalMachine, "SOFTWARE\\LUMO", name,
                                   value);
    }

private:
    QTemporaryDir m_dir;
    std::optional<std::string> m_old;
};
