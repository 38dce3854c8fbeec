// corvalen-test-writer DATABASE: another process writing to the clinic's database, for the
// backup tests. It adds numbered patients ("1", "2", ...), one per transaction, and prints each
// number once it is committed, until its standard input closes.

#include <cstdio>
#include <poll.h>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(db, 5000);
    for (long n = 1;; ++n) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 0) > 0) // end of input: the test is done
            break;
        const std::string sql =
            "INSERT INTO Pacientes (nome, plano) VALUES ('" + std::to_string(n) + "', 'escritor')";
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
            return 1;
        }
        std::printf("%ld\n", n);
        std::fflush(stdout);
        usleep(2000);
    }
    sqlite3_close(db);
    return 0;
}
