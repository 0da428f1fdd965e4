#include "ui/ConnectionTest.h"

#include "ui/BackgroundWork.h"
#include "ui/Messages.h"
#include "ui/UiTexts.h"

#include <variant>

namespace kelvanto
{

namespace
{

struct Outcome
{
    bool connected = false;
    unsigned errorNumber = 0;
    std::string text; // the server's version text, or the error
};

Outcome Connect(const Connector& connector, const ServerConnection& settings)
{
    ConnectResult result = connector(settings);
    if (auto* error = std::get_if<ConnectError>(&result))
        return Outcome {false, error->number, error->text};
    auto& connection = std::get<std::unique_ptr<Connection>>(result);
    return Outcome {true, 0, connection->ServerInfo()};
}

} // namespace

void runConnectionTest(QWidget* busy, const Connector& connector, const ServerConnection& settings, Messages& messages)
{
    const Outcome outcome
        = runOffUiThread<Outcome>(busy, std::function<Outcome()>([&] { return Connect(connector, settings); }));
    if (outcome.connected)
        messages.information(busy, texts::tr(texts::kConnected) + QString::fromStdString(outcome.text));
    else
        messages.connectionFailure(busy, texts::connectFailed(outcome.errorNumber, outcome.text));
}

} // namespace kelvanto
