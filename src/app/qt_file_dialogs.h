#pragma once
// The file-name questions of the scene commands and the import, answered with Qt's file
// dialog.

#include "terrain/file_name_provider.h"

class QWidget;

namespace app {

class qt_file_dialogs : public file_name_provider {
  public:
    explicit qt_file_dialogs(QWidget* parent) : parent(parent) {}
    bool Ask(const file_request& request, std::string& file_name) override;

  private:
    QWidget* parent;
};

}  // namespace app
