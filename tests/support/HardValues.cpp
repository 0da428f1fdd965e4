#include "tests/support/HardValues.h"

#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"

#include <memory>
#include <variant>

namespace kelvanto::test
{

namespace
{

std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

} // namespace

std::string HardValuesScript(const std::string& database)
{
    const std::string all = HexLiteral(AllBytes());
    std::string sql = "SET time_zone = '+05:30';\nSET sql_mode = '';\nCREATE DATABASE " + QuoteName(database)
        + " CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;\nUSE " + QuoteName(database) + ";\n";
    sql += R"(CREATE TABLE types (
  id INT NOT NULL PRIMARY KEY,
  ti TINYINT, tiu TINYINT UNSIGNED, tiz TINYINT(3) UNSIGNED ZEROFILL,
  si SMALLINT, siu SMALLINT UNSIGNED, mi MEDIUMINT, miu MEDIUMINT UNSIGNED,
  i INT, iu INT UNSIGNED, iz INT(8) ZEROFILL, bi BIGINT, biu BIGINT UNSIGNED,
  de DECIMAL(30,10), fl FLOAT, db DOUBLE,
  b1 BIT(1), b64 BIT(64),
  d DATE, t TIME, t6 TIME(6), dt DATETIME(6), ts TIMESTAMP NULL DEFAULT NULL, y YEAR,
  c CHAR(10), vc VARCHAR(300), bn BINARY(4), vb VARBINARY(300),
  tb TINYBLOB, mb MEDIUMBLOB, lb LONGBLOB, bl BLOB, tt TINYTEXT, mt MEDIUMTEXT, lt LONGTEXT, tx TEXT,
  e ENUM('a','b c','d''e'), s SET('x','y','z'), j JSON,
  g GEOMETRY, p POINT, i6 INET6, u UUID
) DEFAULT CHARSET=utf8mb4;
INSERT INTO types (id) VALUES (1);
INSERT INTO types VALUES (2,
  -128, 0, 0, -32768, 0, -8388608, 0, -2147483648, 0, 0, -9223372036854775808, 0,
  '-99999999999999999999.9999999999', -1.5, -1.7976931348623157e308,
  b'0', b'0',
  '1000-01-01', '-838:59:59', '-00:00:00.000001', '1000-01-01 00:00:00.000000', '1970-01-01 05:30:01', 1901,
  '', '', X'00000000', '',
  '', '', '', '', '', '', '', '',
  'a', '', '{}',
  ST_GeomFromText('POINT(0 0)'), ST_GeomFromText('POINT(-1.5 2.25)'), '::', '00000000-0000-0000-0000-000000000000');
INSERT INTO types VALUES (3,
  127, 255, 7, 32767, 65535, 8388607, 16777215, 2147483647, 4294967295, 42, 9223372036854775807,
  18446744073709551615,
  '99999999999999999999.9999999999', 3.40282e38, 1.7976931348623157e308,
  b'1', b'1111111111111111111111111111111111111111111111111111111111111111',
  '9999-12-31', '838:59:59', '838:59:59.999999', '9999-12-31 23:59:59.999999', '2038-01-19 08:44:07', 2155,
  'abcdefghij', 'Grüße 😀 ✓ 𝄞', X'FF00FF00', )"
        + all + ",\n  " + all + ", " + all + ", " + all + ", " + all + R"(,
  'ü', 'ö', 'ä', 'ß',
  'd''e', 'x,y,z', '{"a": [1, 2.5, "q\\"uote", "back\\\\slash", null, true], "é": "😀"}',
  ST_GeomFromText('POLYGON((0 0, 10 0, 10 10, 0 10, 0 0), (2 2, 3 2, 3 3, 2 2))'),
  ST_GeomFromText('POINT(1e-7 -123456.789)'), 'ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff',
  'ffffffff-ffff-ffff-ffff-ffffffffffff');
INSERT INTO types (id, fl, db, de, vc, tx, mt, lt, c, tt, vb, bl, j, i6, u, dt, ts) VALUES (4,
  0.1, 0.30000000000000004, '0.0000000001',
  'It''s a "quote", a \\ backslash;', CONCAT('line one\nline two\r\nthree\ttab', X'00', 'after NUL;'),
  'NULL', REPEAT('long text with ''quotes'' and \\ ', 40000), ' padded', 'x;', ';', X'5C27225C00', '[]',
  '::ffff:192.168.0.1', '123e4567-e89b-12d3-a456-426655440000', '2024-02-29 12:34:56.5', '2024-03-31 02:30:00');
INSERT INTO types (id, d, dt, ts, y, fl, db, vc, tx) VALUES (5,
  '0000-00-00', '0000-00-00 00:00:00', '0000-00-00 00:00:00', 0, 1.17549e-38, 5e-324, 'NULL', '  both ends  ');
INSERT INTO types (id, vc, tx, mt, bl, e, s) VALUES (6, '\\', '\\\\', '''', X'27', 'b c', 'y');
CREATE TABLE `select` (`from` INT NOT NULL PRIMARY KEY, `a b` VARCHAR(20), `back``quote` VARCHAR(20),
  `order` INT, `ü名` VARCHAR(5), `x;` TEXT);
INSERT INTO `select` VALUES (1, 'blank name', 'back`quote', 3, '名前', 'semi;'), (2, NULL, 'NULL', NULL, '', '');
CREATE TABLE `tab``le with blank` (`key` INT NOT NULL PRIMARY KEY, `values` TEXT);
INSERT INTO `tab``le with blank` VALUES (1, 'one'), (2, NULL);
CREATE VIEW `view of ``select``` AS SELECT `from`, `a b`, `back``quote`, CONCAT(`order`, ';') AS `order;` FROM `select`;
CREATE VIEW `type view` AS SELECT id, vc, ts, j FROM types;
CREATE TABLE gen (id INT NOT NULL PRIMARY KEY, secret VARCHAR(20) INVISIBLE DEFAULT 'dflt',
  doubled INT AS (id * 2) VIRTUAL, shout VARCHAR(30) AS (CONCAT(UPPER(secret), '!')) STORED, note VARCHAR(10));
INSERT INTO gen (id, secret, note) VALUES (1, 'hidden one', 'a'), (2, NULL, NULL), (3, 'dflt', 'c');
CREATE TABLE big (id INT NOT NULL PRIMARY KEY, payload LONGTEXT);
INSERT INTO big SELECT seq, REPEAT(CHAR(64 + seq), 1048576) FROM seq_1_to_5;
)";
    return sql;
}

Connector ShiftedZoneConnector(const std::string& zone)
{
    return [real = MakeMariaDbConnector(), zone](
               const ServerConnection& settings, const ConnectControl& control) -> ConnectResult {
        ConnectResult result = real(settings, control);
        if (auto* connection = std::get_if<std::unique_ptr<Connection>>(&result); connection && *connection)
            (*connection)->Query("SET time_zone = '" + zone + "'");
        return result;
    };
}

} // namespace kelvanto::test
