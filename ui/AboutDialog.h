#pragma once

#include <QDialog>

namespace kelvanto
{

class HelpOpener;

// "About": the program icon, "Kelvanto Standard Edition" with its version, links to the
// manual's first page and to its support page (a hand cursor over them; a click opens them),
// and "O&K".
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(HelpOpener& help, QWidget* parent = nullptr);
};

} // namespace kelvanto
