#include "ui/wizard/TaskExtrasBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

namespace kelvanto
{

namespace
{

constexpr std::int64_t kKiB = 1024;
// The largest statement size that a task takes: 1 GiB, max_allowed_packet's own limit.
constexpr int kMaxInsertKiB = 1024 * 1024;

// The size in whole KiB, a part of one counting as one.
int KiBOf(std::int64_t bytes)
{
    return static_cast<int>(std::min<std::int64_t>((bytes + kKiB - 1) / kKiB, kMaxInsertKiB));
}

} // namespace

TaskExtrasBox::TaskExtrasBox(QWidget* parent)
    : QGroupBox(tr("Consistency, stored objects and statement size"), parent)
    , m_snapshot(new QCheckBox(tr("Read every table in one consistent snapshot"), this))
    , m_routines(new QCheckBox(tr("Stored procedures and functions"), this))
    , m_triggers(new QCheckBox(tr("Triggers"), this))
    , m_events(new QCheckBox(tr("Events"), this))
    , m_definer(new QComboBox(this))
    , m_insertSize(new QSpinBox(this))
    , m_verifyLabel(new QLabel(tr("Verify each backup by restoring it into:"), this))
    , m_verify(new QComboBox(this))
{
    setObjectName("taskExtras");
    m_snapshot->setObjectName("consistentSnapshot");
    m_routines->setObjectName("routines");
    m_triggers->setObjectName("triggers");
    m_events->setObjectName("events");
    m_definer->setObjectName("definer");
    m_insertSize->setObjectName("maxInsertBytes");
    m_insertSize->setRange(0, kMaxInsertKiB);
    m_insertSize->setSuffix(tr(" KiB"));
    m_insertSize->setSpecialValueText(tr("ten rows per statement"));
    m_insertSize->setSingleStep(1024);
    m_insertSize->setToolTip(tr("With multiple-row INSERT syntax: every row that fits in a statement of this size. "
                                "The server that restores the files needs a max_allowed_packet at least as large; "
                                "a copy never sends more than its destination takes."));
    m_verify->setObjectName("verifyRestore");
    m_verify->setToolTip(tr("After each backup its files are restored into this server under their own database "
                            "names, compared with what was written, and dropped again. It must not be the "
                            "source server, and it must not hold databases of those names."));
    // Item data: the DefinerMode value.
    m_definer->addItem(tr("Keep as the server reports it"), static_cast<int>(DefinerMode::Keep));
    m_definer->addItem(tr("Leave out"), static_cast<int>(DefinerMode::Strip));

    auto* definerLabel = new QLabel(tr("DEFINER of views and stored objects:"), this);
    definerLabel->setBuddy(m_definer);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_snapshot, 0, 0, 1, 3);
    grid->addWidget(m_routines, 1, 0);
    grid->addWidget(m_triggers, 1, 1);
    grid->addWidget(m_events, 1, 2);
    grid->addWidget(definerLabel, 2, 0);
    grid->addWidget(m_definer, 2, 1, 1, 2);
    auto* insertSizeLabel = new QLabel(tr("Largest INSERT statement:"), this);
    insertSizeLabel->setBuddy(m_insertSize);
    grid->addWidget(insertSizeLabel, 3, 0);
    grid->addWidget(m_insertSize, 3, 1, 1, 2);
    m_verifyLabel->setBuddy(m_verify);
    grid->addWidget(m_verifyLabel, 4, 0);
    grid->addWidget(m_verify, 4, 1, 1, 2);
    m_verifyLabel->setVisible(false);
    m_verify->setVisible(false);
}

void TaskExtrasBox::showVerification(const std::vector<std::string>& profileNames)
{
    m_verifyShown = true;
    m_profileNames = profileNames;
    m_verifyLabel->setVisible(true);
    m_verify->setVisible(true);
    fillVerification();
}

void TaskExtrasBox::fillVerification()
{
    m_verify->clear();
    m_verifyChoices.clear();
    const auto add = [this](const QString& text, std::optional<VerifyServer> choice) {
        m_verify->addItem(text);
        m_verifyChoices.push_back(std::move(choice));
    };
    add(tr("Off"), std::nullopt);
    for (const std::string& name : m_profileNames)
        add(QString::fromStdString(name), VerifyServer {name, {}});
    int current = 0;
    if (m_loadedVerify) {
        const auto found = std::find(m_verifyChoices.begin(), m_verifyChoices.end(), m_loadedVerify);
        if (found != m_verifyChoices.end()) {
            current = static_cast<int>(found - m_verifyChoices.begin());
        } else {
            const VerifyServer& loaded = *m_loadedVerify;
            add(loaded.profile.empty()
                    ? QString::fromStdString(loaded.connection.host + ":" + std::to_string(loaded.connection.port))
                    : QString::fromStdString(loaded.profile),
                loaded);
            current = m_verify->count() - 1;
        }
    }
    m_verify->setCurrentIndex(current);
}

void TaskExtrasBox::load(const TaskExtras& extras)
{
    m_snapshot->setChecked(extras.consistentSnapshot);
    m_routines->setChecked(extras.routines);
    m_triggers->setChecked(extras.triggers);
    m_events->setChecked(extras.events);
    m_definer->setCurrentIndex(m_definer->findData(static_cast<int>(extras.definer)));
    m_loadedInsertBytes = extras.maxInsertBytes;
    m_insertSize->setValue(KiBOf(extras.maxInsertBytes));
    m_loadedVerify = extras.verifyRestore;
    if (m_verifyShown)
        fillVerification();
}

void TaskExtrasBox::save(TaskExtras& extras) const
{
    extras.consistentSnapshot = m_snapshot->isChecked();
    extras.routines = m_routines->isChecked();
    extras.triggers = m_triggers->isChecked();
    extras.events = m_events->isChecked();
    extras.definer = static_cast<DefinerMode>(m_definer->currentData().toInt());
    // A size left as shown keeps its stored bytes (a task file may give any number of them).
    if (m_insertSize->value() != KiBOf(m_loadedInsertBytes))
        extras.maxInsertBytes = m_insertSize->value() * kKiB;
    else
        extras.maxInsertBytes = m_loadedInsertBytes;
    const int verify = m_verify->currentIndex();
    if (m_verifyShown && verify >= 0 && static_cast<std::size_t>(verify) < m_verifyChoices.size())
        extras.verifyRestore = m_verifyChoices[static_cast<std::size_t>(verify)];
}

void TaskExtrasBox::copyShown(const TaskExtras& from, TaskExtras& to)
{
    to.consistentSnapshot = from.consistentSnapshot;
    to.routines = from.routines;
    to.triggers = from.triggers;
    to.events = from.events;
    to.definer = from.definer;
    to.maxInsertBytes = from.maxInsertBytes;
    to.verifyRestore = from.verifyRestore;
}

void TaskExtrasBox::setReadOnly(bool readOnly)
{
    for (QWidget* control : std::initializer_list<QWidget*> {
             m_snapshot, m_routines, m_triggers, m_events, m_definer, m_insertSize, m_verify})
        control->setEnabled(!readOnly);
}

void TaskExtrasBox::setInsertSizeEnabled(bool enabled)
{
    m_insertSize->setEnabled(enabled);
}

} // namespace kelvanto
