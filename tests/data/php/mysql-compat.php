<?php
// Compatibility prelude for the round-trip tests: PHP 7 removed the old mysql_* functions
// that PHP dump pages call, so they are mapped here onto mysqli. Loaded before the page
// with php -d auto_prepend_file=... (the page itself stays as the engine wrote it).

// The pages test results with "or die(...)": mysqli must return false, not throw.
mysqli_report(MYSQLI_REPORT_OFF);

// A page connects to the server it was dumped from. The tests restore it into another
// server without touching the page: KELVANTO_PHP_RESTORE_HOST and _PORT, when set, take
// the place of the page's own host and port.
function kelvanto_restore_target($host, $port)
{
    $overrideHost = getenv('KELVANTO_PHP_RESTORE_HOST');
    $overridePort = getenv('KELVANTO_PHP_RESTORE_PORT');
    return [$overrideHost !== false && $overrideHost !== '' ? $overrideHost : $host,
            $overridePort !== false && $overridePort !== '' ? (int) $overridePort : $port];
}

function mysql_connect($server, $user = '', $password = '')
{
    $host = $server;
    $port = 3306;
    $colon = strrpos($server, ':');
    if ($colon !== false) {
        $host = substr($server, 0, $colon);
        $port = (int) substr($server, $colon + 1);
    }
    [$host, $port] = kelvanto_restore_target($host, $port);
    $link = mysqli_init();
    if (!@mysqli_real_connect($link, $host, $user, $password, '', $port)) {
        $GLOBALS['kelvanto_connect_error'] = [mysqli_connect_errno(), mysqli_connect_error()];
        return false;
    }
    return $link;
}

function mysql_query($query, $link)
{
    return mysqli_query($link, $query);
}

function mysql_select_db($database, $link)
{
    return mysqli_select_db($link, $database);
}

function mysql_errno($link = null)
{
    if ($link instanceof mysqli) {
        return mysqli_errno($link);
    }
    return $GLOBALS['kelvanto_connect_error'][0] ?? 0;
}

function mysql_error($link = null)
{
    if ($link instanceof mysqli) {
        return mysqli_error($link);
    }
    return $GLOBALS['kelvanto_connect_error'][1] ?? '';
}

function mysql_close($link)
{
    return $link instanceof mysqli ? mysqli_close($link) : false;
}
