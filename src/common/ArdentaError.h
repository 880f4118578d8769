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
};

// The database could not be reached: the one failure of ExcuteSQL that travels to its caller.
class ConnectionError : public ArdentaError
{
public:
    using ArdentaError::ArdentaError;
};

// The text of any caught failure; ours carry UTF-8.
inline QString ErrorText(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

// Runs one step of a layout or grid-format routine; a step that fails is skipped so that the
// next one still runs.
template <typename Step> void SkipOnError(Step step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}
