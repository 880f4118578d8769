#pragma once

#include <QString>
#include <stdexcept>

// A run-time failure of one of our services, carrying the description that goes to the log.
class ArdentaError : public std::runtime_error
{
public:
    explicit ArdentaError(const QString &description)
        : std::runtime_error(description.toStdString())
    {
    }
    QString description() const { return QString::fromStdString(what()); }
};

// The database could not be reached: the one failure of ExcuteSQL that travels to its caller.
class ConnectionError : public ArdentaError
{
public:
    using ArdentaError::ArdentaError;
};
