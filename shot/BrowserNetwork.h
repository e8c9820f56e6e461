#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shot/ShotOptions.h"

class wxWebView;

namespace pagrovix {

// What the command line asks of the engine's network for the whole run, set up before the first
// view: --proxy, --ignore-certificate-errors, and --header, which only the page processes can add
// to requests: a module of the program's own is given to each of them, with the headers and the
// origins they may go to. Throws Error when that module cannot be found.
void SetUpNetwork(const ShotOptions& options, const std::vector<std::string>& origins);

// The origins of urls, each once; urls that are not http or https have none.
std::vector<std::string> OriginsOf(const std::vector<std::string>& urls);

// Answers the HTTP sign-in challenges of one view with --auth: only those of the job's own
// origin, and only once a job, so that refused credentials fail the page instead of being offered
// again and again; every other challenge is cancelled, and so is every one without --auth.
class SignInAnswers {
public:
    SignInAnswers(wxWebView* view, const std::optional<Credentials>& credentials);
    ~SignInAnswers();
    SignInAnswers(const SignInAnswers&) = delete;
    SignInAnswers& operator=(const SignInAnswers&) = delete;

    // A new job, at url: its origin is the one answered.
    void StartJob(const std::string& url);
    // The job's origin asked again after it was answered: the credentials were refused.
    bool Refused() const { return refused_; }
    // The job's origin asked for credentials, and there were none to give.
    bool Unanswered() const { return unanswered_; }

    // The engine's signal; not for callers. Returns whether the challenge was dealt with.
    bool OnChallenge(void* request);

private:
    void* webView_;
    std::optional<Credentials> credentials_;
    std::optional<std::string> origin_;
    bool answered_ = false;
    bool refused_ = false;
    bool unanswered_ = false;
};

}  // namespace pagrovix
