#include "report/output/forms/OpenFileDialog.h"

#include "platform/shell/Modal.h"

#include <QApplication>
#include <QFileDialog>

namespace report {

QString ppExecOpenFileDialog(const QString &aFilter)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(aFilter);
    if (shell::execDialog(dialog) != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace report
