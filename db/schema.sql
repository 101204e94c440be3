-- The table the program writes one row per sampled reading into and reads
-- back by time range. The program never creates or alters it; the set-up
-- command and the test clusters load this file. Safe to load again.
create table if not exists invoice (
    funcstr      text      not null,
    datavaluestr text      not null,
    unitstr      text      not null,
    frastr       integer   not null,
    create_time  timestamp without time zone not null,
    -- Last, so the five reading columns keep their places in "select *".
    id           bigint    generated always as identity primary key
);

-- The history query selects by time and returns rows in time order.
create index if not exists invoice_create_time_idx on invoice (create_time, id);
