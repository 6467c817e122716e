#include "ui/qt_settings_store.h"

#include <QSettings>

#include "app/app_state.h"

namespace orvanta {
namespace {

QString keyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section + "/" + key);
}

}  // namespace

void QtSettingsStore::setValue(const std::string& section, const std::string& key,
                               const std::string& value) {
    QSettings settings(kAppTitle, kAppTitle);
    settings.setValue(keyPath(section, key), QString::fromStdString(value));
}

std::optional<std::string> QtSettingsStore::value(const std::string& section,
                                                  const std::string& key) const {
    const QSettings settings(kAppTitle, kAppTitle);
    const QVariant stored = settings.value(keyPath(section, key));
    if (!stored.isValid())
        return std::nullopt;
    return stored.toString().toStdString();
}

}  // namespace orvanta
