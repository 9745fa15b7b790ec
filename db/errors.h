#pragma once
// The one error type of the application. Every failure that ends an action
// (database, 16-bit overflow, conversion) is raised as an Error carrying a
// number and a description; the application's message facility reports it.
// Numbers follow what users of the desktop database engines of the past
// would recognise where such a number exists.
#include <QString>
#include <stdexcept>

namespace merivex
{

namespace ErrorNumber
{
constexpr int Overflow = 6;               // a 16-bit id or counter ran past 32767
constexpr int OutOfMemory = 7;            //
constexpr int TypeMismatch = 13;          // a value that does not convert
constexpr int InternalError = 51;         // an unexpected failure inside the application
constexpr int ReservedError = 3000;       // any other failure of the engine
constexpr int InvalidArgument = 3001;     // an unknown recordset type or option
constexpr int UpdateWithoutAddNew = 3020; // writing a field or storing without AddNew
constexpr int NoCurrentRecord = 3021;     // a field read past the end of the records
constexpr int DuplicateKey = 3022;        // an id that is already stored
constexpr int FileNotFound = 3024;        // the database file is missing
constexpr int DiskFull = 3026;            // the disk or the file-size limit is full
constexpr int ReadOnly = 3027;            // writing to a read-only result
constexpr int InvalidPassword = 3031;     // the key does not open the file
constexpr int DiskIoError = 3043;         // I/O failure while reading or writing
constexpr int InvalidPath = 3044;         // no usable folder for the data
constexpr int FileInUse = 3045;           // another process holds the database
constexpr int CannotOpen = 3049;          // the file is not a database, or damaged
constexpr int FolderNotWritable = 3050;   // no permission to write the file or its log there
constexpr int NoPermission = 3051;        // no permission to read or write the file
constexpr int CharactersAfterEnd = 3142;  // more than one statement in a text
constexpr int DatabaseExists = 3204;      // the tool refuses to overwrite a file
constexpr int TooComplex = 3360;          // a statement ran past any patient file's work
constexpr int ItemNotFound = 3265;        // a field name or position that does not exist
constexpr int ObjectInvalid = 3420;       // a recordset used after Close
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

// Raises Error number with the description users see. For the errors about a
// file, detail is its path; for a disk error, a sentence added to the text.
[[noreturn]] void fail(int number, const QString &detail = {});

} // namespace merivex
