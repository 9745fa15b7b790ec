// A second process for the exclusive-use tests: opens the file given (and
// with a name after it, stores a patient of that name), says "opened" or
// "error N", and when opened holds the file until its input ends.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/statements.h"

#include "patientfile.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2 && argc != 3)
        return 2;
    std::shared_ptr<merivex::Database> db;
    try {
        db = merivex::DBEngine::instance().OpenDatabase(QString::fromLocal8Bit(argv[1]), true,
                                                        false, merivex::connectString());
        db->OpenRecordset(merivex::Sql::patientTable(), merivex::dbOpenSnapshot);
        if (argc == 3)
            testfiles::appendPatient(*db, QString::fromLocal8Bit(argv[2]));
    } catch (const merivex::Error &error) {
        std::printf("error %d\n", error.number());
        std::fflush(stdout);
        return 1;
    }
    std::printf("opened\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
