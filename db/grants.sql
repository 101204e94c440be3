-- What the program's login may do in the private cluster, and nothing more:
-- connect to this database, add readings to "invoice", read them back.
-- Loaded by the set-up command as the cluster's superuser, connected to the
-- program's database, after db/schema.sql, on every run: whatever the login
-- changed about itself with its published password is put back. psql
-- variables: login, password, and set_password (default true; the set-up
-- command passes false when the login already works with that password, so
-- a run with nothing to mend changes nothing).
\if :{?set_password}
\else
\set set_password true
\endif

select not exists (select from pg_roles where rolname = :'login') as login_missing \gset
\if :login_missing
create role :"login" login;
\endif
-- Any local user may set the login's password or its session defaults
-- (read-only transactions, a statement timeout); a rerun undoes both.
alter role :"login" with login nosuperuser nocreatedb nocreaterole noreplication nobypassrls
    connection limit -1 valid until 'infinity';
\if :set_password
alter role :"login" password :'password';
\endif
select format('alter role %I%s reset all', :'login',
              case when d.datname is null then '' else format(' in database %I', d.datname) end)
  from pg_db_role_setting s
  join pg_roles r on r.oid = s.setrole
  left join pg_database d on d.oid = s.setdatabase
 where r.rolname = :'login' \gexec

-- No inherited powers either: reading or writing server files and running
-- programs come through membership of the predefined roles.
select format('revoke %I from %I', granted.rolname, member.rolname)
  from pg_auth_members m
  join pg_roles granted on granted.oid = m.roleid
  join pg_roles member on member.oid = m.member
 where member.rolname = :'login' \gexec

-- This database: connect, nothing else (no temporary tables, no schemas).
select format('revoke all on database %I from public', current_database()) \gexec
select format('grant connect on database %I to %I', current_database(), :'login') \gexec
revoke create on schema public from public;
grant usage on schema public to :"login";

-- Read every column; write only the five of a reading, so the key always
-- comes from its sequence and no row can take a key ahead of it.
revoke all on invoice from :"login";
grant select on invoice to :"login";
grant insert (funcstr, datavaluestr, unitstr, frastr, create_time) on invoice to :"login";
select format('revoke all on sequence %s from %I', pg_get_serial_sequence('invoice', 'id'), :'login')
 where pg_get_serial_sequence('invoice', 'id') is not null \gexec
-- Keys someone put ahead of the sequence earlier would make later inserts
-- fail on a duplicate key.
select format('select setval(%L, %s)', pg_get_serial_sequence('invoice', 'id'), max(id))
  from invoice
 where pg_get_serial_sequence('invoice', 'id') is not null
having max(id) is not null \gexec

-- The maintenance database is the superuser's alone.
revoke connect, temporary on database postgres from public;
