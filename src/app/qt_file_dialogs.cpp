#include "app/qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace app {

bool qt_file_dialogs::Ask(const file_request& request, std::string& file_name) {
    QStringList filters;
    for (const file_filter& f : request.filters) {
        const QString label = QString::fromStdString(f.label).trimmed();
        const QString pattern = QString::fromStdString(f.pattern);
        filters << (label.contains(pattern) ? label : label + " (" + pattern + ")");
    }
    const QString suggested = QString::fromStdString(file_name);
    // The scene's Save asks with an open dialog, as it always has: no overwrite question.
    const QString chosen =
        request.must_exist
            ? QFileDialog::getOpenFileName(parent, QString::fromStdString(request.title), suggested,
                                           filters.join(";;"))
            : QFileDialog::getSaveFileName(parent, QString::fromStdString(request.title), suggested,
                                           filters.join(";;"), nullptr,
                                           QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return false;
    file_name = chosen.toStdString();
    return true;
}

}  // namespace app
