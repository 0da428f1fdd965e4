#include "model/OptionsRules.h"

namespace kelvanto
{

std::string DefaultBackupFolder(const std::filesystem::path& dataFolder)
{
    std::string folder = dataFolder.string();
    if (!folder.empty() && folder.back() != '/')
        folder.push_back('/');
    return folder + "Data/";
}

void ApplyDefaultBackupFolder(Options& options, const std::filesystem::path& dataFolder)
{
    if (options.defaultBackupFolder.empty())
        options.defaultBackupFolder = DefaultBackupFolder(dataFolder);
}

std::string CheckLogMaxSize(std::int64_t sizeKB)
{
    if (sizeKB < 1 || sizeKB > 100000)
        return "Please input the maximum size between 1 and 100000.";
    return {};
}

bool IsLoginProtected(const Options& options)
{
    return !options.loginUser.empty() || !options.loginPassword.empty();
}

bool LoginMatches(const Options& options, std::string_view user, std::string_view password)
{
    return user == options.loginUser && password == options.loginPassword;
}

void NormalizeLogin(Options& options)
{
    if (options.loginUser.empty())
        options.loginPassword.clear();
}

void ResetGeneralOptions(Options& options)
{
    const Options defaults;
    options.loginUser.clear();
    options.loginPassword.clear();
    options.autoRun = 0;
    options.noShutdownWhileRunning = 0;
    options.hotKeyCode = defaults.hotKeyCode;
    options.hotKeyModifiers = defaults.hotKeyModifiers;
    options.dateFormat = defaults.dateFormat;
    options.timeFormat = defaults.timeFormat;
    options.runNotices = defaults.runNotices;
}

void ResetBackupAndLogOptions(Options& options, const std::filesystem::path& dataFolder)
{
    options.defaultBackupFolder = DefaultBackupFolder(dataFolder);
    options.logSizeLimited = 0;
    options.logMaxSizeKB = 0;
}

} // namespace kelvanto
