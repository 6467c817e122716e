#pragma once

#include "platform/settings_store.h"

namespace orvanta {

// The per-user settings store of the window: Qt's settings of the application "Orvanta", so the
// placement lands where the platform keeps per-user settings.
class QtSettingsStore : public SettingsStore {
  public:
    void setValue(const std::string& section, const std::string& key,
                  const std::string& value) override;
    std::optional<std::string> value(const std::string& section,
                                     const std::string& key) const override;
};

}  // namespace orvanta
