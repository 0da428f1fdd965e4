#pragma once

#include <QDialog>

namespace kelvanto
{

class HelpOpener;

// "About": the program icon, "Kelvanto Standard Edition 2.1", the web site and the support
// e-mail as links (a hand cursor over them; a click opens them), and "O&K".
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(HelpOpener& help, QWidget* parent = nullptr);
};

} // namespace kelvanto
