#include "tools/world/slurm_script.h"

std::string shellQuoted(const std::string& word)
{
    if (!word.empty() &&
        word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789-_=+/.,:@") == std::string::npos)
        return word;
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

namespace {

std::string quotedWords(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + shellQuoted(word);
    return text;
}

}  // namespace

std::string slurmScript(const SlurmJob& job)
{
    const std::string shards = std::to_string(job.shards);
    const std::string merge = quotedWords({job.sweepProgram, "--merge-all", job.shardsDirectory,
                                           "--out", job.outDirectory, "--force"});
    std::string text;
    text += "#!/bin/sh\n";
    text += "# A tovrine-sweep as a Slurm job array of " + shards +
            " shards, then their merge into\n# " + job.outDirectory + ".\n";
    text += "#   sh THIS_FILE      submits the array and a merge job that starts once every\n";
    text += "#                     shard has finished\n";
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
    text += "#SBATCH --output=" + job.shardsDirectory + "/slurm-%A_%a.log\n";
    for (const std::string& option : job.options)
        text += "#SBATCH " + option + "\n";
    text += "set -eu\n";
    text += "shards=" + shellQuoted(job.shardsDirectory) + "\n";
    text += "if [ -z \"${SLURM_ARRAY_TASK_ID:-}\" ]; then\n";
    text += "    mkdir -p \"$shards\"\n";
    text += "    array=$(sbatch --parsable \"$0\")\n";
    text += "    array=${array%%;*}\n";
    text +=
        "    merge=$(sbatch --parsable --job-name=tovrine-merge --dependency=afterok:$array \\\n";
    if (!job.options.empty())
        text += "        " + quotedWords(job.options) + " \\\n";
    text += "        --kill-on-invalid-dep=yes --output=\"$shards/slurm-merge-%j.log\" \\\n";
    text += "        --wrap " + shellQuoted("exec " + merge) + ")\n";
    text += "    echo \"tovrine-sweep: array job $array (" + shards +
            " shards), merge job ${merge%%;*} into " + job.outDirectory + "\"\n";
    text += "    exit 0\n";
    text += "fi\n";
    text += "exec " + quotedWords({job.sweepProgram}) + " " + quotedWords(job.sweepWords) +
            " \\\n    --jobs \"${SLURM_CPUS_PER_TASK:-1}\" --shard \"$SLURM_ARRAY_TASK_ID/" +
            shards + "\" \\\n    --out \"$shards/shard-$SLURM_ARRAY_TASK_ID\" --resume\n";
    return text;
}
