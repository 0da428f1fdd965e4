#pragma once

#include <QComboBox>
#include <QStringList>

#include <functional>
#include <optional>

namespace kelvanto
{

// A drop-down list of databases that asks a server for its entries when it is opened: the
// lister runs (a page probe), and its names replace the entries, keeping the chosen one when
// it is still there. A failed listing (nullopt; the lister has said why) opens nothing.
class ListingComboBox : public QComboBox
{
    Q_OBJECT

public:
    using Lister = std::function<std::optional<QStringList>()>;

    explicit ListingComboBox(QWidget* parent = nullptr);
    void setLister(Lister lister) { m_lister = std::move(lister); }
    // Shows one entry, chosen (a stored name), or none.
    void setChosen(const QString& name);

    void showPopup() override;

private:
    Lister m_lister;
};

} // namespace kelvanto
