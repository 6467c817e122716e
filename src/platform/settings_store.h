#pragma once

#include <map>
#include <optional>
#include <string>

namespace orvanta {

// The per-user settings store: text values by application, section and key.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual void setValue(const std::string& section, const std::string& key,
                          const std::string& value) = 0;
    virtual std::optional<std::string> value(const std::string& section,
                                             const std::string& key) const = 0;
};

// A store that keeps its values in memory (the command line and the tests).
class MemorySettingsStore : public SettingsStore {
  public:
    void setValue(const std::string& section, const std::string& key,
                  const std::string& value) override {
        values_[section + "\n" + key] = value;
    }
    std::optional<std::string> value(const std::string& section,
                                     const std::string& key) const override {
        auto found = values_.find(section + "\n" + key);
        if (found == values_.end())
            return std::nullopt;
        return found->second;
    }

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace orvanta
