#pragma once
// The scripted loopback HTTP server arrives with the HTTP client.
