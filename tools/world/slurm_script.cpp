#include "tools/world/slurm_script.h"

namespace {

constexpr char plainCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                   "0123456789-_=+/.,:@";

bool isPlain(const std::string& word)
{
    return !word.empty() && word.find_first_not_of(plainCharacters) == std::string::npos;
}

// sbatch splits an #SBATCH line itself: quotes and backslashes as a shell
// has them, an unquoted '#' as the start of a comment, no $ or ` at all.
std::string sbatchQuoted(const std::string& word)
{
    if (isPlain(word))
        return word;
    std::string out = "\"";
    for (char c : word)
        out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
}

// A folder in one of Slurm's file name patterns, where %A and %a are the
// array's numbers and %% is a per cent sign.
std::string patternOf(const std::string& folder)
{
    std::string out;
    for (char c : folder)
        out += c == '%' ? std::string("%%") : std::string(1, c);
    return out;
}

std::string quotedWords(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + shellQuoted(word);
    return text;
}

bool holdsLineEnd(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

// What the script's comments and #SBATCH lines cannot carry, whatever the
// quoting: a line end ends the line, and a backslash in a log's file name
// makes Slurm leave %A and %a as they are, so every task would log into one.
bool checkWritable(const SlurmJob& job, std::string& error)
{
    for (const std::string& path : {job.sweepProgram, job.outDirectory, job.shardsDirectory})
        if (holdsLineEnd(path)) {
            error = "\"" + path +
                    "\" holds a line end, which a Slurm script's #SBATCH lines cannot hold: "
                    "choose a folder without one";
            return false;
        }
    if (job.shardsDirectory.find('\\') != std::string::npos) {
        error = "\"" + job.shardsDirectory +
                "\" holds a backslash, which makes Slurm leave %A and %a unreplaced in the "
                "tasks' log names (every task would write one log): choose a folder without one";
        return false;
    }
    for (const std::string& option : job.options)
        if (holdsLineEnd(option)) {
            error = "the sbatch option \"" + option +
                    "\" holds a line end, which an #SBATCH line cannot hold";
            return false;
        }
    return true;
}

}  // namespace

std::string shellQuoted(const std::string& word)
{
    if (isPlain(word))
        return word;
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool slurmScript(const SlurmJob& job, std::string& text, std::string& error)
{
    if (!checkWritable(job, error))
        return false;
    const std::string shards = std::to_string(job.shards);
    const std::string merge = quotedWords({job.sweepProgram, "--merge-all", job.shardsDirectory,
                                           "--out", job.outDirectory, "--force"});
    text.clear();
    text += "#!/bin/sh\n";
    text += "# A tovrine-sweep as a Slurm job array of " + shards +
            " shards, then their merge into\n# " + job.outDirectory + ".\n";
    text += "#   sh THIS_FILE      submits the array (the shards not finished yet) and a\n";
    text += "#                     merge job that starts once its tasks have ended, however\n";
    text += "#                     they ended: it names the shards that failed or were\n";
    text += "#                     cancelled, and sh THIS_FILE again reruns just those\n";
    text += "#   sbatch THIS_FILE  submits the array alone; merge with\n";
    text += "#                     " + merge + "\n";
    text += "# A task that is requeued (scontrol requeue, a node that fails) goes on where\n";
    text += "# it stopped: each shard runs with --resume.\n";
    text += "#SBATCH --job-name=tovrine-sweep\n";
    text += "#SBATCH --array=1-" + shards + "\n";
    text += "#SBATCH --cpus-per-task=" + std::to_string(job.cpusPerTask) + "\n";
    text += "#SBATCH --requeue\n";
    // A requeued task writes on after what it wrote before.
    text += "#SBATCH --open-mode=append\n";
    text += "#SBATCH " +
            sbatchQuoted("--output=" + patternOf(job.shardsDirectory) + "/slurm-%A_%a.log") + "\n";
    for (const std::string& option : job.options)
        text += "#SBATCH " + sbatchQuoted(option) + "\n";
    text += "set -eu\n";
    text += "shards=" + shellQuoted(job.shardsDirectory) + "\n";
    text += "if [ -z \"${SLURM_ARRAY_TASK_ID:-}\" ]; then\n";
    text += "    mkdir -p \"$shards\"\n";
    text += "    logs=" + shellQuoted(patternOf(job.shardsDirectory)) + "\n";
    // The shards whose folder does not say finished: all of them at first,
    // and after a failed or cancelled task, the ones to run again.
    text += "    todo=\n";
    text += "    k=1\n";
    text += "    while [ $k -le " + shards + " ]; do\n";
    text += "        grep -q '^state finished' \"$shards/shard-$k/manifest.txt\" 2>/dev/null ||\n";
    text += "            todo=\"$todo${todo:+,}$k\"\n";
    text += "        k=$((k + 1))\n";
    text += "    done\n";
    text += "    after=\n";
    text += "    if [ -n \"$todo\" ]; then\n";
    text += "        array=$(sbatch --parsable --array=\"$todo\" \"$0\")\n";
    text += "        array=${array%%;*}\n";
    text += "        after=--dependency=afterany:$array\n";
    text += "        echo \"tovrine-sweep: array job $array (shards $todo of " + shards + ")\"\n";
    text += "    fi\n";
    // The merge runs however the tasks ended, so that it says which did not
    // finish rather than vanish with them.
    const std::string advice = "tovrine-sweep: sh " + job.scriptPath +
                               " runs the shards that did not finish again, and the merge";
    text += "    merge=$(sbatch --parsable --job-name=tovrine-merge $after \\\n";
    if (!job.options.empty())
        text += "        " + quotedWords(job.options) + " \\\n";
    text += "        --output=\"$logs/slurm-merge-%j.log\" \\\n";
    text += "        --wrap " +
            shellQuoted(merge + " || { echo " + shellQuoted(advice) + " >&2; exit 1; }") + ")\n";
    text += "    echo \"tovrine-sweep: merge job ${merge%%;*} into \"" +
            shellQuoted(job.outDirectory) + "\n";
    text += "    exit 0\n";
    text += "fi\n";
    text += "exec " + quotedWords({job.sweepProgram}) + " " + quotedWords(job.sweepWords) +
            " \\\n    --jobs \"${SLURM_CPUS_PER_TASK:-1}\" --shard \"$SLURM_ARRAY_TASK_ID/" +
            shards + "\" \\\n    --out \"$shards/shard-$SLURM_ARRAY_TASK_ID\" --resume\n";
    return true;
}
