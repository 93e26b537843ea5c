#pragma once

namespace melvora {

// How a track download ended. The window turns each failure into its message; a cancelled
// download is quiet and keeps its bytes for a later resume.
enum class DownloadOutcome {
    Done,
    Cancelled,
    // The transfer could not be set up at all.
    InternetError,
    // No usable reply from the address: a bad address, a refused or unreachable server, an
    // error status, a range the file cannot take.
    CannotOpenUrl,
    // The local file could not be opened, or its name is not a safe one.
    CannotOpenLocalFile,
    // The reply broke off after its body had been accepted.
    ReadError,
    // A block could not be written to the local file.
    WriteError,
};

}  // namespace melvora
