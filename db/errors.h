#pragma once
// The one error type of the application. Every failure that ends an action
// (database, 16-bit overflow, conversion) is raised as an Error carrying a
// number and a description; the application's message facility reports it.
//
// Numbers follow what users of the desktop database engines of the past
// would recognise where such a number exists:
//    6  Overflow                      (a 16-bit id or counter ran past 32767)
//    7  Out of memory
//   13  Type mismatch                 (a value that does not convert)
//   51  Internal error                (an unexpected failure inside the application)
// 3024  Could not find file           (the database file is missing)
// 3031  Not a valid password          (the key does not open the file)
// 3043  Disk or network error         (I/O failure while reading or writing)
// 3045  File already in use           (another process holds the database)
// 3049  Cannot open database          (the file is not a database, or damaged)
// 3026  Not enough space on disk      (the disk or the file-size limit is full)
// 3021  No current record             (a field read past the end of the records)
// 3265  Item not found in collection  (a field name or position that does not exist)
// 3027  Cannot update, read-only      (writing to a read-only result)
// 3000  Reserved error                (any other failure of the engine)
// 3001  Invalid argument              (an unknown recordset type or option)
// 3020  Update without AddNew         (writing a field or storing without AddNew)
// 3022  Duplicate key                 (an id that is already stored)
// 3142  Characters after end of SQL   (more than one statement in a text)
// 3204  Database already exists       (the tool refuses to overwrite a file)
// 3420  Object invalid                (a recordset used after Close)
#include <QString>
#include <stdexcept>

namespace merivex
{

namespace ErrorNumber
{
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int TypeMismatch = 13;
constexpr int InternalError = 51;
constexpr int ReservedError = 3000;
constexpr int NoCurrentRecord = 3021;
constexpr int FileNotFound = 3024;
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;
constexpr int InvalidPassword = 3031;
constexpr int DiskIoError = 3043;
constexpr int FileInUse = 3045;
constexpr int CannotOpen = 3049;
constexpr int ItemNotFound = 3265;
constexpr int InvalidArgument = 3001;
constexpr int UpdateWithoutAddNew = 3020;
constexpr int DuplicateKey = 3022;
constexpr int CharactersAfterEnd = 3142;
constexpr int DatabaseExists = 3204;
constexpr int ObjectInvalid = 3420;
} // namespace ErrorNumber

class Error : public std::runtime_error
{
public:
    Error(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {
    }
    int number() const { return m_number; }
    const QString &description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

} // namespace merivex
