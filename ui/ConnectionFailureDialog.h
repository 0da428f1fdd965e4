#pragma once

#include <QDialog>

namespace kelvanto
{

class HelpOpener;

// The connection-failure dialog (caption "Kelvanto"): the failure text with an icon, "O&K",
// and "&How to connect to a MySQL server", which opens that page of the manual.
class ConnectionFailureDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kHelpTopic = "::/howtoconnect.html";

    ConnectionFailureDialog(const QString& text, HelpOpener& help, QWidget* parent = nullptr);
};

} // namespace kelvanto
