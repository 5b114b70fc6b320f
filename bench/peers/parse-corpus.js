#!/usr/bin/env node
// The job of bench/parse-corpus done by other DOM implementations, so the library's figures have something to be
// read against: every .html file under DIR (recursively, names ending in ".html") is parsed into a fresh document
// and its links are counted. One line per peer, in the same format as the library's program:
//
//   NAME pages=N bytes=B seconds=S pages_per_s=P mb_per_s=M peak_rss_mb=R [failures=K]
//
// Usage: node parse-corpus.js [--peer NAME]... [--links] DIR
//   --peer NAME  run only this peer (jsdom, happy-dom, linkedom); may be repeated; default all three, in that order
//   --links      append links=L (the links counted over all pages) to each line, to compare the peers' trees
//
// How each peer is measured, the same way for all three:
// - Each peer runs in a child process of its own, so peak_rss_mb (the child's VmHWM, i.e. maxRSS, in MiB) is that
//   peer's alone. It includes the runtime itself and the pages held in memory.
// - All files are read into memory and the peer's module is loaded before the clock starts. The clock covers, for
//   each page: decoding its bytes as UTF-8, parsing them into the document of a new window (jsdom: new JSDOM(text);
//   happy-dom: new Window() and document.write(text); linkedom: parseHTML(text)), counting its links with
//   document.querySelectorAll('a[href],area[href]').length, closing the window, and one turn of the event loop.
// - No peer runs a script or fetches anything: jsdom without runScripts and resources, happy-dom with script
//   evaluation and every kind of loading switched off, linkedom never does either.
// - pages and bytes are every page handed to the peer; a page on which the peer throws is counted in failures=K
//   (printed only when K > 0) and the run goes on. MB are MiB (1,048,576 bytes).
// One window per page, not one parser for all pages: jsdom and happy-dom keep every document parsed through a
// window's DOMParser reachable from that window (jsdom tracks its named elements there), so memory grows with the
// corpus and slows the run down for reasons no page load has.
// Exit status: 0 when every peer printed its line, 1 when one crashed or timed out, 2 on bad arguments.
'use strict';

const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');

const PEERS = ['jsdom', 'happy-dom', 'linkedom'];
const CHILD_TIMEOUT_MS = 20 * 60 * 1000;
const MAX_REPORTED_FAILURES = 5;
const LINK_SELECTOR = 'a[href],area[href]';

function usage(sMessage) {
    if (sMessage) process.stderr.write(`parse-corpus.js: ${sMessage}\n`);
    process.stderr.write('usage: node parse-corpus.js [--peer jsdom|happy-dom|linkedom]... [--links] DIR\n');
    process.exit(2);
}

// Every regular file under the folder whose name ends in ".html", in a stable order. Symbolic links to files are
// followed; symbolic links to folders are not, so a loop in the tree cannot make the walk endless.
function listPages(sDir) {
    const asFiles = [];
    const walk = (sFolder) => {
        const atEntries = fs.readdirSync(sFolder, { withFileTypes: true });
        atEntries.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
        for (const tEntry of atEntries) {
            const sPath = path.join(sFolder, tEntry.name);
            if (tEntry.isDirectory()) {
                walk(sPath);
            } else if (tEntry.name.endsWith('.html')) {
                if (tEntry.isFile() || (tEntry.isSymbolicLink() && statOrNull(sPath)?.isFile())) asFiles.push(sPath);
            }
        }
    };
    walk(sDir);
    return asFiles;
}

function statOrNull(sPath) {
    try {
        return fs.statSync(sPath);
    } catch {
        return null;
    }
}

// Returns { open(text) -> { document, close() } } for the named peer: open parses one page into the document of a
// new window. The peer's module is loaded here, before the clock.
async function makePeer(sName) {
    switch (sName) {
    case 'jsdom': {
        const { JSDOM, VirtualConsole } = require('jsdom');
        return {
            open(sText) {
                // No runScripts and no resources: the window runs nothing and fetches nothing. The silent console
                // keeps the stylesheet parser's complaints about the pages' CSS out of the output.
                const tDom = new JSDOM(sText, { virtualConsole: new VirtualConsole() });
                return { document: tDom.window.document, close: () => tDom.window.close() };
            },
        };
    }
    case 'happy-dom': {
        const { Window } = await import('happy-dom');
        const tSettings = {
            enableJavaScriptEvaluation: false,
            disableJavaScriptEvaluation: true,
            disableJavaScriptFileLoading: true,
            disableCSSFileLoading: true,
            disableIframePageLoading: true,
            disableComputedStyleRendering: true,
            handleDisabledFileLoadingAsSuccess: true,
            navigation: { disableChildFrameNavigation: true, disableChildPageNavigation: true },
        };
        const tSilent = { log() {}, info() {}, warn() {}, error() {}, debug() {}, trace() {} };
        return {
            open(sText) {
                const tWindow = new Window({ settings: tSettings, console: tSilent });
                // On a new window's document, write() replaces the whole document, as a page load does.
                tWindow.document.write(sText);
                return { document: tWindow.document, close: () => tWindow.happyDOM.close() };
            },
        };
    }
    case 'linkedom': {
        const { parseHTML } = require('linkedom');
        return { open: (sText) => ({ document: parseHTML(sText).document, close() {} }) };
    }
    default:
        throw new Error(`unknown peer "${sName}"`);
    }
}

// Lets the tasks a peer queued for the page (load events, its window's clean-up) run, as they would in any program
// that parses pages one after another; without it a synchronous loop keeps every window alive until it ends.
function yieldToEventLoop() {
    return new Promise((fResolve) => setImmediate(fResolve));
}

function peakRssMiB() {
    let iKiB = process.resourceUsage().maxRSS;
    try {
        const tMatch = /^VmHWM:\s+(\d+)\s+kB/m.exec(fs.readFileSync('/proc/self/status', 'utf8'));
        if (tMatch) iKiB = Math.max(iKiB, Number(tMatch[1]));
    } catch {
        // Not on Linux: maxRSS alone.
    }
    return iKiB / 1024;
}

async function runChild(sName, sDir, bLinks) {
    const asFiles = listPages(sDir);
    const atPages = asFiles.map((sFile) => fs.readFileSync(sFile));
    const iBytes = atPages.reduce((iSum, tBuf) => iSum + tBuf.length, 0);
    const tPeer = await makePeer(sName);
    const tDecoder = new TextDecoder('utf-8');

    let iLinks = 0;
    let iFailures = 0;
    const iStart = process.hrtime.bigint();
    for (let i = 0; i < atPages.length; ++i) {
        try {
            const tPage = tPeer.open(tDecoder.decode(atPages[i]));
            try {
                iLinks += tPage.document.querySelectorAll(LINK_SELECTOR).length;
            } finally {
                await tPage.close();
            }
        } catch (tError) {
            ++iFailures;
            if (iFailures <= MAX_REPORTED_FAILURES) {
                const sWhy = String((tError && tError.message) || tError).split('\n')[0];
                process.stderr.write(`${sName}: ${path.relative(sDir, asFiles[i])}: ${sWhy}\n`);
            }
        }
        await yieldToEventLoop();
    }
    const dSeconds = Number(process.hrtime.bigint() - iStart) / 1e9;
    const dPeak = peakRssMiB();
    if (iFailures > MAX_REPORTED_FAILURES) {
        process.stderr.write(`${sName}: ${iFailures - MAX_REPORTED_FAILURES} more pages failed\n`);
    }

    const dMiB = iBytes / (1024 * 1024);
    let sLine =
        `${sName} pages=${atPages.length} bytes=${iBytes} seconds=${dSeconds.toFixed(3)}` +
        ` pages_per_s=${(atPages.length / dSeconds).toFixed(1)} mb_per_s=${(dMiB / dSeconds).toFixed(2)}` +
        ` peak_rss_mb=${dPeak.toFixed(1)}`;
    if (iFailures > 0) sLine += ` failures=${iFailures}`;
    if (bLinks) sLine += ` links=${iLinks}`;
    process.stdout.write(`${sLine}\n`);
}

// Runs one peer in a child process. Its result line is passed on to standard output; anything else the child
// writes to its standard output goes to standard error, so standard output holds only result lines.
function runPeer(sName, sDir, bLinks) {
    const asArgs = [__filename, '--child', sName];
    if (bLinks) asArgs.push('--links');
    asArgs.push(sDir);
    const tResult = spawnSync(process.execPath, asArgs, {
        stdio: ['ignore', 'pipe', 'inherit'],
        encoding: 'utf8',
        timeout: CHILD_TIMEOUT_MS,
        maxBuffer: 64 * 1024 * 1024,
    });
    let sResult = null;
    for (const sLine of (tResult.stdout || '').split('\n')) {
        if (sResult === null && sLine.startsWith(`${sName} pages=`)) sResult = sLine;
        else if (sLine !== '') process.stderr.write(`${sName}: ${sLine}\n`);
    }
    if (sResult !== null) process.stdout.write(`${sResult}\n`);
    if (tResult.error && tResult.error.code === 'ETIMEDOUT') {
        process.stderr.write(`${sName}: no result within ${CHILD_TIMEOUT_MS / 60000} minutes; stopped\n`);
        return false;
    }
    if (tResult.error) {
        process.stderr.write(`${sName}: could not start: ${tResult.error.message}\n`);
        return false;
    }
    if (sResult === null || tResult.status !== 0) {
        const sHow = tResult.signal ? `signal ${tResult.signal}` : `status ${tResult.status}`;
        process.stderr.write(`${sName}: ended with ${sHow}${sResult === null ? ' and printed no figures' : ''}\n`);
        return false;
    }
    return true;
}

async function main(asArgv) {
    const asPeers = [];
    let sChild = null;
    let bLinks = false;
    let sDir = null;
    for (let i = 0; i < asArgv.length; ++i) {
        const sArg = asArgv[i];
        if (sArg === '--peer' || sArg === '--child') {
            const sName = asArgv[++i];
            if (!PEERS.includes(sName)) usage(`unknown peer "${sName ?? ''}" (one of ${PEERS.join(', ')})`);
            if (sArg === '--peer') asPeers.push(sName);
            else sChild = sName;
        } else if (sArg === '--links') {
            bLinks = true;
        } else if (sArg.startsWith('-') && sArg !== '-') {
            usage(`unknown option "${sArg}"`);
        } else if (sDir === null) {
            sDir = sArg;
        } else {
            usage('one folder only');
        }
    }
    if (sDir === null) usage('no folder given');
    if (!statOrNull(sDir)?.isDirectory()) usage(`"${sDir}" is not a folder`);

    if (sChild !== null) {
        await runChild(sChild, sDir, bLinks);
        return 0;
    }
    let iPages;
    try {
        iPages = listPages(sDir).length;
    } catch (tError) {
        usage(`cannot read "${sDir}": ${tError.message}`);
    }
    if (iPages === 0) usage(`no .html files under "${sDir}"`);

    let bAllOk = true;
    for (const sName of asPeers.length ? asPeers : PEERS) {
        if (!runPeer(sName, sDir, bLinks)) bAllOk = false;
    }
    return bAllOk ? 0 : 1;
}

main(process.argv.slice(2)).then(
    (iStatus) => process.exit(iStatus),
    (tError) => {
        process.stderr.write(`parse-corpus.js: ${(tError && tError.stack) || tError}\n`);
        process.exit(1);
    },
);
