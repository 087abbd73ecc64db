# Reads one job's log messages (first file), then the messages of a log that
# k such jobs shared (second file). Succeeds when the log is an interleaving of
# the k jobs: every job's messages all there, whole and in order. The jobs are
# alike, so a state is the multiset of positions reached, kept in descending
# order; every state that explains the lines so far is followed. On failure,
# prints the first line that no interleaving explains.
#   awk -v k=4 -f logorder.awk job.txt log.txt
FNR == NR { seq[++n] = $0; next }
FNR == 1 {
    start = "0"
    for (i = 2; i <= k; i++) start = start ",0"
    cur[start] = 1
}
{
    split("", nxt)
    for (st in cur) {
        m = split(st, pos, ",")
        for (i = 1; i <= m; i++) {
            # Of jobs at the same position only the first moves: the others
            # give the same multiset.
            if (i > 1 && pos[i] == pos[i - 1]) continue
            if (pos[i] < n && seq[pos[i] + 1] == $0) nxt[advanced(pos, m, i)] = 1
        }
    }
    split("", cur)
    found = 0
    for (st in nxt) { cur[st] = 1; found = 1 }
    if (!found) { print "log line " FNR " unexpected or out of order: " $0; bad = 1; exit 1 }
}
END {
    if (bad) exit 1
    want = n
    for (i = 2; i <= k; i++) want = want "," n
    if (!(want in cur)) { print "the log ends before every job's last line"; exit 1 }
}
# The state with job i one message further; order is kept, as a job is only
# moved when the job before it is further on.
function advanced(pos, m, i,   j, out) {
    out = ""
    for (j = 1; j <= m; j++) out = out (j > 1 ? "," : "") (j == i ? pos[j] + 1 : pos[j])
    return out
}
