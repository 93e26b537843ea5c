#include "app/Program.h"

#include "activation/ActivateTrack.h"

namespace melvora {

Program::Program(ProgramParts parts)
    : m_search(std::move(parts.endpoints)),
      m_musicFolder(std::move(parts.musicFolder)),
      m_player(parts.player),
      m_window(
          parts.windowSystem,
          [this](const Text& keyword, SearchReport& report, const CancellationToken& token) {
              m_search.SearchSongs(keyword, report, token);
          },
          {.activate =
               [this](const activation::TrackRequest& track, TrackReport& report,
                      const CancellationToken& token) {
                   activation::ActivateTrack(track, m_musicFolder, m_player, report, &token);
               },
           .stop = [this] { activation::StopPlayback(m_player); }},
          m_musicFolder) {}

Program::~Program() {
    End();
}

void Program::End() {
    m_window.EndDownload();
    m_window.EndSearches();
}

}  // namespace melvora
