// corvalen-test-writer DATABASE [hold]: another process using the clinic's database, for the
// backup and restore tests. It adds numbered patients ("1", "2", ...), one per transaction,
// and prints each number once it is committed, until its standard input closes. With "hold"
// it adds one and then only keeps the database open until then, as an idle Corvalen does.

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3)
        return 2;
    const bool hold = argc == 3 && std::strcmp(argv[2], "hold") == 0;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(db, 5000);
    for (long n = 1;; ++n) {
        if (!hold || n == 1) {
            const std::string sql = "INSERT INTO Pacientes (nome, plano) VALUES ('" +
                                    std::to_string(n) + "', 'escritor')";
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
                return 1;
            }
            std::printf("%ld\n", n);
            std::fflush(stdout);
        }
        // The end of input ends it: looked for between writes, waited for while holding.
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, hold ? -1 : 0) > 0)
            break;
        usleep(2000);
    }
    sqlite3_close(db);
    return 0;
}
